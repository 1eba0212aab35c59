#include "markdown/markdown_converter.h"

#include "markdown/form_control.h"
#include "markdown/markdown_syntax.h"
#include "rtf/css_style.h"
#include "rtf/white_space.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cctype>

namespace velcaro::markdown {
namespace {

using rtf::ElementKind;
using rtf::htmlAttribute;

// Whether a font family is a monospace one: the generic family or a common monospace font.
bool isMonospaceFamily(std::string_view family) {
    std::string name(family);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* part : {"mono", "courier", "consolas", "menlo", "monaco", "code"}) {
        if (name.find(part) != std::string::npos)
            return true;
    }
    return false;
}

int numberAttribute(const char* const* attributes, const char* name, int fallback) {
    const char* value = htmlAttribute(attributes, name);
    if (!value)
        return fallback;
    bool ok = false;
    const int number = QByteArray(value).trimmed().toInt(&ok);
    return ok ? number : fallback;
}

// The language a code element's class names (language-xxx or lang-xxx), without what a
// fence's info string cannot hold.
QString codeLanguage(const char* const* attributes) {
    const char* classes = htmlAttribute(attributes, "class");
    if (!classes)
        return {};
    const QStringList names =
        QString::fromUtf8(classes).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString name : names) {
        name = name.trimmed();
        for (QLatin1String prefix : {QLatin1String("language-"), QLatin1String("lang-")}) {
            if (name.startsWith(prefix) && name.size() > prefix.size())
                return name.mid(prefix.size()).remove(u'`');
        }
    }
    return {};
}

} // namespace

MarkdownConverter::MarkdownConverter(const QUrl& pageUrl) : pageUrl_(pageUrl) {
    stack_.reserve(256);
    stack_.push_back(Element());
}

void MarkdownConverter::startElement(std::string_view tag, const char* const* attributes) {
    Element e = stack_.back();
    const bool flexItem = e.flexContainer;
    e.opened = Opened::Nothing;
    e.flexContainer = false;
    if (e.hidden) {
        stack_.push_back(e);
        return;
    }
    const rtf::TagDefaults* defaults = rtf::tagDefaults(tag);
    e.kind = defaults ? defaults->kind : ElementKind::Inline;
    // The engine shows a button's content and a select's options.
    if (tag == "button" || tag == "select" || (tag == "option" && e.select != Select::None))
        e.kind = ElementKind::Inline;
    if (defaults) {
        e.bold |= defaults->bold;
        e.italic |= defaults->italic;
        if (defaults->monospace)
            e.monospace = e.codeTag = true;
        if (defaults->preserve)
            e.preserve = true;
    }
    bool outOfFlow = false;
    if (const char* style = htmlAttribute(attributes, "style")) {
        using Tri = rtf::CssStyle::Tri;
        using WhiteSpace = rtf::CssStyle::WhiteSpace;
        const rtf::CssStyle s = rtf::parseInlineStyle(style);
        if (s.bold != Tri::Unset)
            e.bold = s.bold == Tri::Yes;
        if (s.italic != Tri::Unset)
            e.italic = s.italic == Tri::Yes;
        if (s.hidden != Tri::Unset)
            e.invisible = s.hidden == Tri::Yes;
        if (!s.family.empty())
            e.monospace = isMonospaceFamily(s.family);
        if (s.whiteSpace != WhiteSpace::Unset) {
            e.preserve = s.whiteSpace == WhiteSpace::Preserve;
            e.preserveLines = s.whiteSpace == WhiteSpace::PreserveLines;
        }
        if (s.display == rtf::CssStyle::Display::None)
            e.hidden = true;
        e.kind = rtf::displayedKind(e.kind, s.display);
        // The engine's plain copy puts a line break around each child of a flex or grid
        // container, inline or not, and none around a box taken out of the flow: positioned
        // absolute or fixed, or floated outside a flex container (where floats do nothing).
        e.flexContainer = s.flexContainer;
        outOfFlow = s.positioned || (s.floating && !flexItem);
        if (s.flexContainer && e.kind == ElementKind::Inline)
            e.kind = ElementKind::Block;
    }
    if (outOfFlow && (e.kind == ElementKind::Block || e.kind == ElementKind::Paragraph ||
                      e.kind == ElementKind::ListItem))
        e.kind = ElementKind::Inline;
    else if (flexItem && !outOfFlow && e.kind == ElementKind::Inline)
        e.kind = ElementKind::Block;
    // A heading's or a header cell's weight is what it is, not emphasis.
    if ((defaults && defaults->heading) || tag == "th")
        e.bold = false;
    if (htmlAttribute(attributes, "hidden"))
        e.hidden = true;
    if (tag == "img" && !e.hidden && !e.invisible)
        addImage(e, attributes);
    if ((tag == "input" || tag == "textarea") && !e.hidden && !e.invisible)
        writeOwnLine(shownFieldText(tag, attributes), e);
    if (e.kind == ElementKind::Skip)
        e.hidden = true;
    if (!e.hidden && tag == "select" && e.select == Select::None) {
        e.select = isListBox(attributes) ? Select::ListBox : Select::DropDown;
        chosen_.clear();
        chosenSet_ = false;
    } else if (!e.hidden && tag == "option" && e.select != Select::None && !e.inOption) {
        e.inOption = true;
        optionText_.clear();
        optionLabel_ = htmlAttribute(attributes, "label");
        optionSelected_ = htmlAttribute(attributes, "selected") != nullptr;
    }
    if (!e.hidden) {
        if (tag == "a" && !e.link) {
            const char* href = htmlAttribute(attributes, "href");
            const QString target = href ? destination(href, Target::Link) : QString();
            if (!target.isEmpty()) {
                links_.push_back(target);
                e.link = static_cast<int>(links_.size());
            }
        }
        if (e.kind == ElementKind::LineBreak) {
            out_.lineBreak();
            endLine();
        } else if (e.kind != ElementKind::Inline) {
            startBlock(e, defaults, tag, attributes);
        } else if (tag == "code" && out_.inCode()) {
            out_.setCodeLanguage(codeLanguage(attributes));
        }
    }
    stack_.push_back(e);
}

void MarkdownConverter::startBlock(Element& e, const rtf::TagDefaults* defaults,
                                   std::string_view tag, const char* const* attributes) {
    endLine();
    e.blockMonospace = e.monospace;
    e.codeTag = false;
    bool opened = false;
    if (defaults && defaults->heading && e.kind == ElementKind::Block) {
        opened = out_.beginHeading(defaults->heading);
        e.opened = Opened::Heading;
    } else if (tag == "blockquote") {
        opened = out_.beginQuote();
        e.opened = Opened::Container;
    } else if (tag == "ul" || tag == "ol") {
        opened = out_.beginList(tag == "ol", numberAttribute(attributes, "start", 1));
        e.opened = Opened::Container;
    } else if (e.kind == ElementKind::ListItem) {
        opened = out_.beginItem(numberAttribute(attributes, "value", -1));
        e.opened = Opened::Container;
    } else if (defaults && defaults->preserve) {
        opened = out_.beginCode(codeLanguage(attributes));
        e.opened = Opened::Code;
    } else if (tag == "table") {
        opened = out_.beginTable();
        e.opened = Opened::Container;
    } else if (e.kind == ElementKind::Row) {
        out_.beginRow();
        opened = true;
        e.opened = Opened::Row;
    } else if (e.kind == ElementKind::Cell) {
        const int rowSpan = numberAttribute(attributes, "rowspan", 1);
        out_.beginCell(std::clamp(numberAttribute(attributes, "colspan", 1), 1, 1000),
                       rowSpan < 1 ? 1 : std::min(rowSpan, 65534));
        opened = true;
        e.opened = Opened::Cell;
    } else if (tag == "hr") {
        out_.rule();
    } else {
        out_.blockBoundary();
    }
    if (!opened)
        e.opened = Opened::Boundary;
}

void MarkdownConverter::endElement(std::string_view) {
    if (stack_.size() <= 1)
        return;
    const Element e = stack_.back();
    stack_.pop_back();
    if (e.hidden)
        return;
    const Element& parent = stack_.back();
    if (e.inOption && !parent.inOption)
        endOption(e);
    else if (e.select == Select::DropDown && parent.select == Select::None && chosenSet_)
        writeOwnLine(chosen_, e);
    if (e.opened == Opened::Nothing)
        return;
    endLine();
    switch (e.opened) {
    case Opened::Boundary:
        out_.blockBoundary();
        break;
    case Opened::Container:
        out_.endContainer();
        break;
    case Opened::Heading:
        out_.endHeading();
        break;
    case Opened::Code:
        out_.endCode();
        break;
    case Opened::Row:
        out_.endRow();
        break;
    case Opened::Cell:
        out_.endCell();
        break;
    case Opened::Nothing:
        break;
    }
}

void MarkdownConverter::characters(const char* text, int length) {
    const Element& e = stack_.back();
    if (e.hidden || e.invisible || length <= 0)
        return;
    if (e.select != Select::None) {
        if (e.inOption)
            optionText_.append(QByteArray(text, length).replace("\xc2\xa0", " "));
        return;
    }
    if (out_.inCode()) {
        out_.codeText(QString::fromUtf8(text, length));
        return;
    }
    const char* p = text;
    const char* end = text + length;
    if (!e.preserve && !e.preserveLines) {
        writeWords(p, end, e);
        return;
    }
    // Line ends are kept as line breaks; within a line white space collapses, as a Markdown
    // reader shows it anyway.
    rtf::forEachLine(
        p, end, [&](const char* line, const char* lineEnd) { writeWords(line, lineEnd, e); },
        [&] {
            out_.lineBreak();
            endLine();
        });
}

void MarkdownConverter::writeWords(const char* p, const char* end, const Element& e) {
    words_.resize(0);
    rtf::collapseWhiteSpace(p, end, lineHasText_, pendingSpace_, words_);
    if (words_.isEmpty())
        return;
    // The engine's HTML writes a space next to an inline element as a non-breaking one, and
    // its plain copy has plain spaces for them; so has the Markdown.
    words_.replace("\xc2\xa0", " ");
    out_.text(QString::fromUtf8(words_), styleOf(e));
    lineHasText_ = true;
}

void MarkdownConverter::writeOwnLine(const QByteArray& text, const Element& e) {
    if (text.trimmed().isEmpty())
        return;
    endLine();
    out_.blockBoundary();
    writeWords(text.constData(), text.constData() + text.size(), e);
    endLine();
    out_.blockBoundary();
}

void MarkdownConverter::endOption(const Element& option) {
    QByteArray shown;
    bool noSpace = false;
    if (!optionLabel_.isEmpty())
        shown = optionLabel_;
    else
        rtf::collapseWhiteSpace(optionText_.constData(),
                                optionText_.constData() + optionText_.size(), false, noSpace,
                                shown);
    if (option.select == Select::ListBox) {
        // A list box runs its options together in the line.
        writeWords(shown.constData(), shown.constData() + shown.size(), option);
    } else if (optionSelected_ || !chosenSet_) {
        chosen_ = shown;
        chosenSet_ = true;
    }
}

void MarkdownConverter::addImage(const Element& e, const char* const* attributes) {
    // The engine shows an image's alternative text or, when it has none, its title.
    const char* altValue = htmlAttribute(attributes, "alt");
    if (!altValue)
        altValue = htmlAttribute(attributes, "title");
    const QString alt = altValue ? QString::fromUtf8(altValue).simplified() : QString();
    if (out_.inCode()) {
        out_.codeText(alt);
        return;
    }
    const char* source = htmlAttribute(attributes, "src");
    const QString target = source && *source ? destination(source, Target::Image) : QString();
    if (target.isEmpty() && alt.isEmpty())
        return;
    const InlineStyle style = styleOf(e);
    if (pendingSpace_) {
        out_.text(u" ", style);
        pendingSpace_ = false;
    }
    if (target.isEmpty())
        out_.text(alt, style);
    else
        out_.image(alt, target, style);
    lineHasText_ = true;
}

void MarkdownConverter::endLine() {
    lineHasText_ = false;
    pendingSpace_ = false;
}

InlineStyle MarkdownConverter::styleOf(const Element& e) const {
    InlineStyle style;
    style.bold = e.bold;
    style.italic = e.italic;
    style.code = e.codeTag || (e.monospace && !e.blockMonospace);
    style.link = e.link;
    if (e.link)
        style.linkTarget = links_[static_cast<std::size_t>(e.link - 1)];
    return style;
}

// A link of the page's own may lead to the web, to a mail, or from a local page to a file of
// its folder (the engine's copy gives its relative links as such): one that would run a
// script, open a document made on the spot or another local file is left as its text.
bool MarkdownConverter::mayLink(const QUrl& url) const {
    if (url.scheme() == u"http" || url.scheme() == u"https" || url.scheme() == u"mailto")
        return true;
    if (!url.isLocalFile() || !pageUrl_.isLocalFile())
        return false;
    const QString folder = QFileInfo(QDir::cleanPath(pageUrl_.toLocalFile())).path();
    return QDir::cleanPath(url.toLocalFile()).startsWith(folder + u'/');
}

QString MarkdownConverter::destination(const char* address, Target target) const {
    // A browser takes an address without its tabs and line ends, and trimmed.
    QString text = QString::fromUtf8(address);
    text.remove(u'\t').remove(u'\n').remove(u'\r');
    text = text.trimmed();
    if (text.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive))
        return {};
    const QUrl url = pageUrl_.resolved(QUrl(text));
    if (!url.isValid() || (target == Target::Link && !mayLink(url)))
        return {};
    return linkDestination(url.toEncoded());
}

QString MarkdownConverter::finish() {
    return out_.finish();
}

} // namespace velcaro::markdown
