#include "rtf/header_tables.h"

#include "rtf/code_pages.h"

#include <QRegularExpression>

namespace velcaro::rtf {
namespace {

ListStyle listStyleForNfc(int nfc) {
    switch (nfc) {
    case 0:
        return ListStyle::Decimal;
    case 1:
        return ListStyle::UpperRoman;
    case 2:
        return ListStyle::LowerRoman;
    case 3:
        return ListStyle::UpperAlpha;
    case 4:
        return ListStyle::LowerAlpha;
    case 23:
    case 255:
        return ListStyle::Bullet;
    default:
        return ListStyle::Decimal;
    }
}

} // namespace

void HeaderTables::fontWord(Keyword k, int param) {
    if (k == Keyword::Font) {
        commitFontName();
        fontId_ = param;
        tables_.fonts[param].codePage = 0;
    } else if (k == Keyword::Charset) {
        tables_.fonts[fontId_].codePage = codePageForCharset(param);
    } else if (k == Keyword::CodePage && param > 0) {
        tables_.fonts[fontId_].codePage = param;
    }
}

void HeaderTables::fontText(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (*p == ';')
            commitFontName();
        else if (fontName_.size() < 256)
            fontName_ += *p;
    }
}

void HeaderTables::endFontTable() {
    commitFontName();
}

void HeaderTables::commitFontName() {
    if (fontName_.isEmpty())
        return;
    std::u16string name;
    CodePageDecoder decoder;
    FontEntry& font = tables_.fonts[fontId_];
    decoder.append(font.codePage > 0 ? font.codePage : tables_.codePage, fontName_, name);
    font.family = QString::fromStdU16String(name).trimmed();
    fontName_.clear();
}

void HeaderTables::startColorTable() {
    colorSet_ = false;
    red_ = green_ = blue_ = 0;
}

void HeaderTables::colorWord(Keyword k, int param) {
    if (k == Keyword::Red || k == Keyword::Green || k == Keyword::Blue) {
        const int v = qBound(0, param, 255);
        (k == Keyword::Red ? red_ : k == Keyword::Green ? green_ : blue_) = v;
        colorSet_ = true;
    }
}

void HeaderTables::colorText(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (*p != ';')
            continue;
        if (tables_.colors.size() < 65536)
            tables_.colors.push_back(colorSet_ ? QColor(red_, green_, blue_) : QColor());
        colorSet_ = false;
        red_ = green_ = blue_ = 0;
    }
}

void HeaderTables::styleWord(Keyword k, int param) {
    if (k == Keyword::Style) {
        styleId_ = param;
        styleOutline_ = 0;
        styleName_.clear();
    } else if (k == Keyword::CharStyle) {
        styleId_ = -1;
    } else if (k == Keyword::OutlineLevel) {
        styleOutline_ = param >= 0 && param < 6 ? param + 1 : 0;
    }
}

void HeaderTables::styleText(const char* begin, const char* end) {
    for (const char* p = begin; p < end; ++p) {
        if (*p == ';')
            commitStyleName();
        else if (styleName_.size() < 256)
            styleName_ += *p;
    }
}

void HeaderTables::commitStyleName() {
    static const QRegularExpression heading(QStringLiteral("^\\s*(heading|titolo)\\s*([1-6])"),
                                            QRegularExpression::CaseInsensitiveOption);
    if (styleId_ >= 0) {
        int level = styleOutline_;
        if (!level) {
            const auto match = heading.match(QString::fromLatin1(styleName_));
            if (match.hasMatch())
                level = match.captured(2).toInt();
        }
        if (level)
            styleHeading_.insert(styleId_, level);
    }
    styleName_.clear();
    styleOutline_ = 0;
}

void HeaderTables::listWord(Keyword k, int param) {
    if (k == Keyword::List) {
        currentLevels_.clear();
        currentListId_ = 0;
    } else if (k == Keyword::ListLevel) {
        if (currentLevels_.size() < 9)
            currentLevels_.push_back(ListStyle::Decimal);
    } else if (k == Keyword::LevelNfc && !currentLevels_.empty()) {
        currentLevels_.back() = listStyleForNfc(param);
        if (currentListId_)
            listLevels_[currentListId_] = currentLevels_;
    } else if (k == Keyword::ListId) {
        currentListId_ = param;
        listLevels_[param] = currentLevels_;
    }
}

void HeaderTables::listOverrideWord(Keyword k, int param) {
    if (k == Keyword::ListId)
        overrideListId_ = param;
    else if (k == Keyword::Ls)
        overrides_[param] = overrideListId_;
}

void HeaderTables::resolveList(ParaProps& para) const {
    if (para.listId <= 0)
        return;
    ListStyle style = ListStyle::Bullet;
    auto override = overrides_.find(para.listId);
    if (override != overrides_.end()) {
        auto levels = listLevels_.find(override->second);
        if (levels != listLevels_.end() && !levels->second.empty()) {
            const auto& v = levels->second;
            style = v[qMin<std::size_t>(para.listLevel, v.size() - 1)];
        }
    }
    para.list = style;
}

void HeaderTables::startPn() {
    pnStyle_ = ListStyle::Decimal;
    pnLevel_ = 0;
}

void HeaderTables::pnWord(Keyword k, int param) {
    switch (k) {
    case Keyword::PnBullet:
        pnStyle_ = ListStyle::Bullet;
        break;
    case Keyword::PnDecimal:
        pnStyle_ = ListStyle::Decimal;
        break;
    case Keyword::PnLowerAlpha:
        pnStyle_ = ListStyle::LowerAlpha;
        break;
    case Keyword::PnUpperAlpha:
        pnStyle_ = ListStyle::UpperAlpha;
        break;
    case Keyword::PnLowerRoman:
        pnStyle_ = ListStyle::LowerRoman;
        break;
    case Keyword::PnUpperRoman:
        pnStyle_ = ListStyle::UpperRoman;
        break;
    case Keyword::PnLevel:
        pnLevel_ = qBound(0, param - 1, 8);
        break;
    default:
        break;
    }
}

void HeaderTables::applyPn(ParaProps& para) const {
    para.list = pnStyle_;
    para.listLevel = pnLevel_;
}

} // namespace velcaro::rtf
