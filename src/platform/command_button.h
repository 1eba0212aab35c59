#pragma once

namespace velcaro {

// A push button, as the layout of a window sees it: sizes and position in twips.
class CommandButton {
public:
    virtual ~CommandButton() = default;

    virtual float Left() const = 0;
    virtual float Width() const = 0;
    virtual float Height() const = 0;
    // A negative Left puts part of the button beyond the client area's left edge.
    virtual void setLeft(float twips) = 0;
};

} // namespace velcaro
