#pragma once

#include "capture/page_text_copy.h"
#include "shell/form.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace velcaro {

class FileDialog;
class Form1Ui;
class TextBox;
class WebBrowser;

// The browser window: the address row, the embedded browser and the File menu.
//
// The names of the forms, controls and handlers are the designed ones (docs/naming.md):
//   Label1                     "Sito Internet:"         the address row's label
//   Text1                      the address box          Enter in it (Text1_KeyPress) is GO
//   Command1                   "GO"                     Command1_Click: shows the address
//   Command2                   "..."                    Command2_Click: picks a local file
//   WebBrowser1                the browser area         hidden until the first GO
//   CommonDialog1              the file dialog          shared with Form3's saves
//   mnuFilePrint               "&Print" (Ctrl+P)        mnuFilePrint_Click
//   mnuFilePrintPreview        "Print Preview..." (Ctrl+R)  mnuFilePrintPreview_Click
//   mnuCopia_Testo             "Copia testo Pag.Html" (Ctrl+C)  the capture command
//   mnuCopia_Testo_Principale  "Copia testo principale" (Ctrl+Shift+C)  its main text
//   mnuFileExit                "E&xit"                  mnuFileExit_Click
// Positions and sizes are in twips, 1/1440 of an inch (15 to a pixel at 96 dots per inch).
// KeyAscii is the character code of the key typed in a text box, 13 for Enter; a handler
// may change it.
class Form1 : public Form {
public:
    explicit Form1(Application& app);
    ~Form1() override;

    // The address the box holds at load: a page whose path is /delay/valute/index.shtml.
    static QString defaultAddress();
    // Twips between the top of the address box's height and the browser area.
    static constexpr double kBrowserGap = 100.0;

    // The controls, each reached through the loaded window.
    TextBox& Text1();
    WebBrowser& WebBrowser1();
    FileDialog& CommonDialog1();

    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Text1_KeyPress(std::int16_t& KeyAscii);
    void mnuFilePrint_Click();
    void mnuFilePrintPreview_Click();
    // The capture command, defined with its steps in src/capture/capture_command.cpp, and
    // beside it "Copia testo principale", the same capture of the page's main text (an item
    // of ours, after the designed ones' capture item).
    void mnuCopia_Testo_Click();
    void mnuCopia_Testo_Principale_Click();
    void mnuFileExit_Click();

protected:
    void createUi() override;
    void destroyUi() override;
    FormWindow& uiWindow() const override;
    void Form_Load() override;

private:
    // Fills the captured-text window with what `scope` takes of the shown page.
    void capture(PageTextCopy::Scope scope);

    std::unique_ptr<Form1Ui> ui_;
    // A capture waits for the page in an event loop, where a second Ctrl+C would start
    // another: that one does nothing.
    bool capturing_ = false;
};

} // namespace velcaro
