#include "qt/rtf_mime_data.h"

#include "rtf/html_to_rtf.h"

namespace velcaro {

RtfMimeData::RtfMimeData(const QString& text, const QByteArray& html) : html_(html) {
    setText(text);
    setData(QStringLiteral("text/html"), html);
}

bool RtfMimeData::isRtf(const QString& mimeType) {
    return mimeType == u"text/rtf" || mimeType == u"application/rtf";
}

QStringList RtfMimeData::formats() const {
    QStringList list = QMimeData::formats();
    list << QStringLiteral("text/rtf") << QStringLiteral("application/rtf");
    return list;
}

bool RtfMimeData::hasFormat(const QString& mimeType) const {
    return isRtf(mimeType) || QMimeData::hasFormat(mimeType);
}

QVariant RtfMimeData::retrieveData(const QString& mimeType, QMetaType type) const {
    if (!isRtf(mimeType))
        return QMimeData::retrieveData(mimeType, type);
    if (rtf_.isEmpty())
        rtf_ = rtf::htmlToRtf(html_);
    return rtf_;
}

} // namespace velcaro
