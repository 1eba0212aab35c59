#pragma once

#include "qt/qt_command_button.h"
#include "qt/qt_form_ui.h"
#include "qt/qt_form_window.h"
#include "qt/qt_rich_text_box.h"
#include "qt/qt_timer.h"
#include "text_window/form3_ui.h"

#include <QPointer>
#include <memory>

namespace velcaro {

class Form3;

// The captured-text window built with Qt Widgets as designed: the text area and the row of
// three buttons; its events run Form3's handlers.
class QtForm3Ui : public Form3Ui, private QtFormUi<Form3> {
public:
    explicit QtForm3Ui(Form3& form);
    ~QtForm3Ui() override;

    FormWindow& window() override { return window_; }
    RichTextBox& RichTextBox1() override { return text_; }
    CommandButton& Command1() override { return command1_; }
    CommandButton& Command2() override { return command2_; }
    CommandButton& Command3() override { return command3_; }
    Timer& keepTimer() override { return keepTimer_; }

private:
    QtFormWindow window_;
    QtRichTextBox text_;
    QtCommandButton command1_;
    QtCommandButton command2_;
    QtCommandButton command3_;
    QtTimer keepTimer_;
};

} // namespace velcaro
