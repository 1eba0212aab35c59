#pragma once

#include <QByteArray>
#include <QString>
#include <functional>

namespace velcaro {

// The editable rich text control. Every operation may throw VelcaroError.
class RichTextBox {
public:
    virtual ~RichTextBox() = default;

    enum FileType { rtfRTF = 0, rtfText = 1 };

    // The whole content as plain text, the text SaveFile writes for rtfText.
    virtual QString Text() = 0;
    // Replaces the whole content with plain text.
    virtual void setText(const QString& text) = 0;
    // Replaces the whole content with an RTF document, with its formatting.
    virtual void setTextRTF(const QString& rtf) = 0;
    virtual void Refresh() = 0;
    // Writes the whole content to `path`, replacing the file: as RTF for rtfRTF, as UTF-8
    // plain text for rtfText.
    virtual void SaveFile(const QString& path, int type) = 0;
    // The bytes SaveFile writes for `type`.
    virtual QByteArray fileContent(int type) = 0;
    // Reads Text() a part at a time, so that a long text does not stop the window, and gives
    // it to `done`. A change of the content before the end, or the end of the control,
    // abandons the reading: `done` is not called.
    virtual void readText(std::function<void(const QString&)> done) = 0;
    virtual void setHeight(float twips) = 0;
    virtual void setWidth(float twips) = 0;
};

} // namespace velcaro
