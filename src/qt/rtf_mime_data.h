#pragma once

#include <QMimeData>

namespace velcaro {

// Clipboard contents made from a copy of a web page: its plain text and HTML as the engine
// copied them, and an RTF document converted from the HTML only when someone asks for it
// (the capture reads the plain text; a word processor pasting reads the RTF).
class RtfMimeData : public QMimeData {
    Q_OBJECT
public:
    RtfMimeData(const QString& text, const QByteArray& html);

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    static bool isRtf(const QString& mimeType);

    QByteArray html_;
    mutable QByteArray rtf_;
};

} // namespace velcaro
