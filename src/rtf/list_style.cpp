#include "rtf/list_style.h"

#include <utility>

namespace velcaro::rtf {
namespace {

constexpr std::pair<ListStyle, QTextListFormat::Style> kListStyles[] = {
    {ListStyle::Bullet, QTextListFormat::ListDisc},
    {ListStyle::Decimal, QTextListFormat::ListDecimal},
    {ListStyle::LowerAlpha, QTextListFormat::ListLowerAlpha},
    {ListStyle::UpperAlpha, QTextListFormat::ListUpperAlpha},
    {ListStyle::LowerRoman, QTextListFormat::ListLowerRoman},
    {ListStyle::UpperRoman, QTextListFormat::ListUpperRoman},
};

} // namespace

QTextListFormat::Style qtListStyle(ListStyle style) {
    for (const auto& [ours, qt] : kListStyles) {
        if (ours == style)
            return qt;
    }
    return QTextListFormat::ListDisc;
}

ListStyle listStyleOf(QTextListFormat::Style style) {
    for (const auto& [ours, qt] : kListStyles) {
        if (qt == style)
            return ours;
    }
    return ListStyle::Bullet;
}

} // namespace velcaro::rtf
