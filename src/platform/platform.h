#pragma once

#include <QString>
#include <memory>

namespace velcaro {

class Clipboard;
class Form1;
class Form1Ui;
class Form3;
class Form3Ui;
class MessageBox;
class TextRecovery;

// What the program needs of the windowing system: the windows with their controls, the
// message box, the application folder and the end of the program. One binding runs on Qt,
// the tests bring their own.
class Platform {
public:
    virtual ~Platform() = default;

    // Builds the browser window with its controls as designed, hidden, wired to `form`.
    virtual std::unique_ptr<Form1Ui> createForm1Ui(Form1& form) = 0;
    // Builds the captured-text window with its controls as designed, hidden, wired to `form`.
    virtual std::unique_ptr<Form3Ui> createForm3Ui(Form3& form) = 0;
    virtual MessageBox& messageBox() = 0;
    virtual Clipboard& clipboard() = 0;
    // Where the captured-text window's text is kept until the window is closed.
    virtual TextRecovery& textRecovery() = 0;
    // The folder that holds the executable, without a trailing separator; where the user
    // cannot write into it (an installed program), the documents folder.
    virtual QString applicationFolder() const = 0;
    // Ends the event loop: no window of the program is visible any more.
    virtual void quit() = 0;
};

} // namespace velcaro
