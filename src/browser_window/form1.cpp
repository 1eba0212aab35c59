#include "browser_window/form1.h"

#include "browser_window/form1_ui.h"
#include "platform/file_dialog.h"
#include "platform/form_window.h"
#include "platform/platform.h"
#include "platform/text_box.h"
#include "platform/web_browser.h"
#include "shell/application.h"
#include "shell/strings.h"

namespace velcaro {

Form1::Form1(Application& app) : Form(app) {}

Form1::~Form1() = default;

QString Form1::defaultAddress() {
    return QStringLiteral("http://www.example.com/delay/valute/index.shtml");
}

void Form1::createUi() {
    ui_ = app_.platform().createForm1Ui(*this);
}

void Form1::destroyUi() {
    ui_.reset();
}

FormWindow& Form1::uiWindow() const {
    return ui_->window();
}

TextBox& Form1::Text1() {
    Load();
    return ui_->Text1();
}

WebBrowser& Form1::WebBrowser1() {
    Load();
    return ui_->WebBrowser1();
}

FileDialog& Form1::CommonDialog1() {
    Load();
    return ui_->CommonDialog1();
}

// The default address is selected, so that an address typed at once replaces it.
void Form1::Form_Load() {
    Text1().setText(defaultAddress());
    Text1().setSelStart(0);
    Text1().setSelLength(static_cast<int>(defaultAddress().size()));
    WebBrowser1().setVisible(false);
}

// Keeps the browser area below the address row, over the rest of the client area. The
// browser is laid out while hidden too, so the first GO shows it already in place.
void Form1::Form_Resize() {
    if (app_.form1().Me().WindowState() == WindowMinimized)
        return;
    const double top = static_cast<double>(Text1().Height()) + kBrowserGap;
    const float width = Me().ScaleWidth();
    const double height = static_cast<double>(Me().ScaleHeight()) - top;
    WebBrowser1().Move(0.0f, top, width, height);
}

// GO: the trimmed address goes to the browser, which becomes visible.
void Form1::Command1_Click() {
    if (trimSpaces(Text1().Text()).isEmpty())
        return;
    WebBrowser1().Navigate(trimSpaces(Text1().Text()));
    WebBrowser1().setVisible(true);
}

void Form1::Text1_KeyPress(std::int16_t& KeyAscii) {
    if (KeyAscii == 13)
        Command1_Click();
}

// "...": proposes the address as the file name unless it is a web address, and puts the
// chosen file's path into the address box. The file is loaded by the next GO.
void Form1::Command2_Click() {
    QString s = trimSpaces(Text1().Text());
    if (s.left(5).toLower() != u"http:" && !s.isEmpty())
        CommonDialog1().setFileName(s);
    CommonDialog1().ShowOpen();
    s = CommonDialog1().FileName();
    if (!trimSpaces(s).isEmpty())
        Text1().setText(s);
}

void Form1::mnuFilePrint_Click() {
    WebBrowser1().ExecWB(olecmd::kPrint, olecmd::kPromptUser);
}

void Form1::mnuFilePrintPreview_Click() {
    WebBrowser1().ExecWB(olecmd::kPrintPreview, olecmd::kPromptUser);
}

void Form1::mnuFileExit_Click() {
    Unload();
}

} // namespace velcaro
