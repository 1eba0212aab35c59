#pragma once

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
    void mnuCopia_Testo_Click();
    void mnuFileExit_Click();

protected:
    void createUi() override;
    void destroyUi() override;
    FormWindow& uiWindow() const override;
    void Form_Load() override;

private:
    std::unique_ptr<Form1Ui> ui_;
    // A capture waits for the page in an event loop, where a second Ctrl+C would start
    // another: that one does nothing.
    bool capturing_ = false;
};

} // namespace velcaro
