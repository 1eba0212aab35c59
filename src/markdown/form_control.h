#pragma once

#include <QByteArray>
#include <string_view>

namespace velcaro::markdown {

// What the engine's plain copy shows of form controls, which the copied HTML gives only as
// tags and attributes:
// - a text field (an input of type text, search, email, url, tel, number or password, or
//   without a type) shows its value, or else its placeholder, on a line of its own; a
//   password's value shows as dots, which are no text;
// - a text area shows its placeholder on a line of its own (the HTML does not carry what is
//   typed in it);
// - a button shows its content in the line;
// - a drop-down list shows the option chosen (the last marked selected, else the first) on a
//   line of its own, a list box (multiple, or more than one row) all its options run
//   together in the line; an option shows its label, or else its text;
// - other inputs (buttons, boxes, files, dates) show nothing that is text.

// The text a text field or text area shows, UTF-8; empty for other controls.
QByteArray shownFieldText(std::string_view tag, const char* const* attributes);

// Whether a select shows as a list box rather than a drop-down list.
bool isListBox(const char* const* attributes);

} // namespace velcaro::markdown
