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

    float Left() const override { return rect_.left; }
    float Width() const override { return rect_.width; }
    float Height() const override { return rect_.height; }
    void setLeft(float twips) override;

private:
    void place();

    QPointer<QPushButton> button_;
    TwipsRect rect_;
};

} // namespace velcaro
