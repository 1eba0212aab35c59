#pragma once

#include <QString>

namespace velcaro {

// The state of a window as the handlers see it.
enum WindowState { WindowNormal = 0, WindowMinimized = 1, WindowMaximized = 2 };

// A top-level window. Every size is in twips: Width and Height are the outer size (frame and
// title bar included), ScaleWidth and ScaleHeight the client area.
class FormWindow {
public:
    virtual ~FormWindow() = default;

    virtual int WindowState() const = 0;
    virtual float ScaleWidth() const = 0;
    virtual float ScaleHeight() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    // Changing the outer size delivers a resize event at once; setting the size the window
    // already has does nothing.
    virtual void setWidth(float twips) = 0;
    virtual void setHeight(float twips) = 0;

    // The title the window shows in its title bar.
    virtual void setCaption(const QString& caption) = 0;
    virtual void Show() = 0;
    virtual void SetFocus() = 0;
    virtual bool isVisible() const = 0;
};

} // namespace velcaro
