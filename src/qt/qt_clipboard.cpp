#include "qt/qt_clipboard.h"

#include "platform/velcaro_error.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace velcaro {

const char* const QtClipboard::kRtfTypes[3] = {"text/rtf", "text/richtext", "application/rtf"};

namespace {

// The clipboard's contents; an emptied clipboard may have no data object at all.
const QMimeData& contents() {
    static const QMimeData empty;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw VelcaroError(error::kInternal, QStringLiteral("Impossibile leggere gli appunti."));
    const QMimeData* data = clipboard->mimeData();
    return data ? *data : empty;
}

const char* rtfType(const QMimeData& data) {
    for (const char* type : QtClipboard::kRtfTypes)
        if (data.hasFormat(QLatin1String(type)))
            return type;
    return nullptr;
}

} // namespace

void QtClipboard::Clear() {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw VelcaroError(error::kInternal, QStringLiteral("Gli appunti non sono disponibili."));
    clipboard->clear();
}

bool QtClipboard::GetFormat(std::int16_t code) {
    const QMimeData& data = contents();
    switch (code) {
    case clipformat::kText:
        return data.hasText();
    case clipformat::kBitmap:
        return data.hasImage();
    case clipformat::kDib:
        return data.hasFormat(QStringLiteral("image/bmp"));
    case clipformat::kRtf:
        return rtfType(data) != nullptr;
    case clipformat::kHtml:
        return data.hasHtml();
    default:
        return false;
    }
}

QString QtClipboard::GetText(std::int16_t code) {
    const QMimeData& data = contents();
    if (code == clipformat::kText)
        return data.text();
    if (code == clipformat::kHtml)
        return data.html();
    if (code == clipformat::kRtf) {
        const char* type = rtfType(data);
        return type ? QString::fromLatin1(data.data(QLatin1String(type))) : QString();
    }
    return {};
}

} // namespace velcaro
