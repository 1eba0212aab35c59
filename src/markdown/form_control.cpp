#include "markdown/form_control.h"

#include "rtf/html_sax.h"

#include <algorithm>
#include <iterator>

namespace velcaro::markdown {

using rtf::htmlAttribute;

QByteArray shownFieldText(std::string_view tag, const char* const* attributes) {
    const char* placeholder = htmlAttribute(attributes, "placeholder");
    if (tag == "textarea")
        return placeholder;
    if (tag != "input")
        return {};
    const char* typeValue = htmlAttribute(attributes, "type");
    const QByteArray type = typeValue ? QByteArray(typeValue).trimmed().toLower() : "text";
    static const char* const kTextTypes[] = {"text", "search", "email",   "url",
                                             "tel",  "number", "password"};
    if (std::none_of(std::begin(kTextTypes), std::end(kTextTypes),
                     [&](const char* t) { return type == t; }))
        return {};
    const char* value = htmlAttribute(attributes, "value");
    if (value && *value)
        return type == "password" ? QByteArray() : QByteArray(value);
    return placeholder;
}

bool isListBox(const char* const* attributes) {
    if (htmlAttribute(attributes, "multiple"))
        return true;
    const char* size = htmlAttribute(attributes, "size");
    return size && QByteArray(size).trimmed().toInt() > 1;
}

} // namespace velcaro::markdown
