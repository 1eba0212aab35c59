#pragma once

namespace velcaro {

class CommandButton;
class FormWindow;
class RichTextBox;
class Timer;

// The controls of the captured-text window that its handlers use. Destroying it destroys
// the window with its controls.
class Form3Ui {
public:
    virtual ~Form3Ui() = default;

    virtual FormWindow& window() = 0;
    virtual RichTextBox& RichTextBox1() = 0;
    virtual CommandButton& Command1() = 0;
    virtual CommandButton& Command2() = 0;
    virtual CommandButton& Command3() = 0;
    // Runs Form3::keepText Form3::kKeepDelayMs after it was started.
    virtual Timer& keepTimer() = 0;
};

} // namespace velcaro
