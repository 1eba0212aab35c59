#pragma once

#include "platform/rich_text_box.h"
#include "platform/twips_rect.h"

#include <QPointer>
#include <QTextEdit>

namespace velcaro {

// RichTextBox over an editable QTextEdit. RTF goes through our own reader and writer;
// every save replaces the file atomically, so a failed save leaves the old file as it was.
// A reading of the text (readText) ends with this object.
class QtRichTextBox : public RichTextBox {
public:
    QtRichTextBox(QTextEdit* edit, const TwipsRect& designed);

    QString Text() override;
    void setText(const QString& text) override;
    void setTextRTF(const QString& rtf) override;
    void Refresh() override;
    void SaveFile(const QString& path, int type) override;
    QByteArray fileContent(int type) override;
    void readText(std::function<void(const QString&)> done) override;
    void setHeight(float twips) override;
    void setWidth(float twips) override;

private:
    QTextEdit& edit() const;
    void place();

    QPointer<QTextEdit> edit_;
    TwipsRect rect_;
    QObject readers_;
};

} // namespace velcaro
