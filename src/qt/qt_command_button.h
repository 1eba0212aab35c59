#pragma once

#include "platform/command_button.h"
#include "platform/twips_rect.h"

#include <QPointer>
#include <QPushButton>

namespace velcaro {

// CommandButton over a QPushButton; its twips geometry is kept exactly as set.
class QtCommandButton : public CommandButton {
public:
    QtCommandButton(QPushButton* button, const TwipsRect& designed);

    float Left() const override { return left_; }
    float Width() const override { return width_; }
    float Height() const override { return height_; }
    void setLeft(float twips) override;

private:
    void place();

    QPointer<QPushButton> button_;
    float left_, top_, width_, height_;
};

} // namespace velcaro
