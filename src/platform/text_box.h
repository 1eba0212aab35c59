#pragma once

#include <QString>

namespace velcaro {

// A single-line text box.
class TextBox {
public:
    virtual ~TextBox() = default;

    virtual QString Text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual float Height() const = 0; // twips
};

} // namespace velcaro
