#pragma once

#include "platform/form_window.h"
#include "qt/qt_window_widget.h"

#include <QPointer>

namespace velcaro {

// FormWindow over a QtWindowWidget, converting twips to pixels.
class QtFormWindow : public FormWindow {
public:
    explicit QtFormWindow(QtWindowWidget* widget) : widget_(widget) {}

    int WindowState() const override;
    float ScaleWidth() const override;
    float ScaleHeight() const override;
    float Width() const override;
    float Height() const override;
    void setWidth(float twips) override;
    void setHeight(float twips) override;
    void setCaption(const QString& caption) override;
    void Show() override;
    void SetFocus() override;
    bool isVisible() const override;

    // Sets the client area's size, in twips, as the window is designed.
    void setClientSize(double widthTwips, double heightTwips);

private:
    QtWindowWidget& widget() const;

    QPointer<QtWindowWidget> widget_;
};

} // namespace velcaro
