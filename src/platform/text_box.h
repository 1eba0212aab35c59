#pragma once

#include <QString>

namespace velcaro {

// A single-line text box.
class TextBox {
public:
    virtual ~TextBox() = default;

    virtual QString Text() const = 0;
    // Replaces the text; the caret goes before it, nothing selected.
    virtual void setText(const QString& text) = 0;
    virtual float Height() const = 0; // twips
    // Puts the caret before the character at `start`, selecting nothing.
    virtual void setSelStart(int start) = 0;
    // Selects `length` characters from the caret.
    virtual void setSelLength(int length) = 0;
};

} // namespace velcaro
