#pragma once

#include "browser_window/form1_ui.h"
#include "qt/qt_file_dialog.h"
#include "qt/qt_form_ui.h"
#include "qt/qt_form_window.h"
#include "qt/qt_text_box.h"
#include "qt/qt_web_browser.h"

#include <QPointer>
#include <memory>

namespace velcaro {

class Form1;

// The browser window built with Qt Widgets as designed: the address row, the browser area,
// the File menu; its events run Form1's handlers.
class QtForm1Ui : public Form1Ui, private QtFormUi<Form1> {
public:
    // `title` is the window's title bar.
    QtForm1Ui(Form1& form, const QString& title);
    ~QtForm1Ui() override;

    FormWindow& window() override { return window_; }
    TextBox& Text1() override { return text1_; }
    WebBrowser& WebBrowser1() override { return browser_; }
    FileDialog& CommonDialog1() override { return dialog_; }
    // The browser area's widget, shown or not.
    QWidget* browserArea() const { return browser_.area(); }

private:
    void buildAddressRow();
    void buildMenu();

    QtFormWindow window_;
    QtTextBox text1_;
    QtWebBrowser browser_;
    QtFileDialog dialog_;
};

} // namespace velcaro
