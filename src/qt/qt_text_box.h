#pragma once

#include "platform/text_box.h"

#include <QLineEdit>
#include <QPointer>

namespace velcaro {

// TextBox over a QLineEdit; its height is kept in twips as designed.
class QtTextBox : public TextBox {
public:
    QtTextBox(QLineEdit* edit, float heightTwips) : edit_(edit), height_(heightTwips) {}

    QString Text() const override;
    void setText(const QString& text) override;
    float Height() const override { return height_; }
    void setSelStart(int start) override;
    void setSelLength(int length) override;

private:
    QLineEdit& edit() const;

    QPointer<QLineEdit> edit_;
    float height_;
};

} // namespace velcaro
