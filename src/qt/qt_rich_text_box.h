#pragma once

#include "platform/rich_text_box.h"
#include "platform/twips_rect.h"

#include <QPointer>
#include <QTextEdit>

namespace velcaro {

// RichTextBox over an editable QTextEdit. RTF goes through our own reader and writer;
// every save replaces the file atomically, so a failed save leaves the old file as it was.
class QtRichTextBox : public RichTextBox {
public:
    QtRichTextBox(QTextEdit* edit, const TwipsRect& designed);

    void setText(const QString& text) override;
    void setTextRTF(const QString& rtf) override;
    void Refresh() override;
    void SaveFile(const QString& path, int type) override;
    QByteArray fileContent(int type) override;
    void setHeight(float twips) override;
    void setWidth(float twips) override;

private:
    QTextEdit& edit() const;
    void place();

    QPointer<QTextEdit> edit_;
    TwipsRect rect_;
};

} // namespace velcaro
