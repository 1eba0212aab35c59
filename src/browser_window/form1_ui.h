#pragma once

namespace velcaro {

class FileDialog;
class FormWindow;
class TextBox;
class WebBrowser;

// The controls of the browser window that its handlers use. Destroying it destroys the
// window with its controls.
class Form1Ui {
public:
    virtual ~Form1Ui() = default;

    virtual FormWindow& window() = 0;
    virtual TextBox& Text1() = 0;
    virtual WebBrowser& WebBrowser1() = 0;
    virtual FileDialog& CommonDialog1() = 0;
};

} // namespace velcaro
