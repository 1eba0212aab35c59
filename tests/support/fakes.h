#pragma once

// Stand-ins for the windowing system, so the handlers run without Qt widgets: each records
// what the handlers asked of it and can be told to fail.

#include "browser_window/form1.h"
#include "browser_window/form1_ui.h"
#include "platform/file_dialog.h"
#include "platform/form_window.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/text_box.h"
#include "platform/velcaro_error.h"
#include "platform/web_browser.h"

#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace velcaro::testing {

class FakeFormWindow : public FormWindow {
public:
    int state = WindowNormal;
    float scaleWidth = 0, scaleHeight = 0, width = 0, height = 0;
    bool visible = false;
    bool shown = false;
    int focusCount = 0;
    // The form's resize handler, delivered as the platform does: at the first showing and
    // at every change of the outer size.
    std::function<void()> onResize;

    int WindowState() const override { return state; }
    float ScaleWidth() const override { return scaleWidth; }
    float ScaleHeight() const override { return scaleHeight; }
    float Width() const override { return width; }
    float Height() const override { return height; }
    void setWidth(float twips) override {
        if (twips == width)
            return;
        width = twips;
        resized();
    }
    void setHeight(float twips) override {
        if (twips == height)
            return;
        height = twips;
        resized();
    }
    void Show() override {
        const bool first = !shown;
        shown = visible = true;
        if (first)
            resized();
    }
    void SetFocus() override { ++focusCount; }
    bool isVisible() const override { return visible; }

    void resized() {
        if (onResize)
            onResize();
    }
};

class FakeTextBox : public TextBox {
public:
    QString text;
    float height = 285;

    QString Text() const override { return text; }
    void setText(const QString& t) override { text = t; }
    float Height() const override { return height; }
};

struct MoveCall {
    float left;
    double top;
    float width;
    double height;
};

class FakeWebBrowser : public WebBrowser {
public:
    QStringList navigated;
    std::vector<std::pair<int, int>> commands;
    std::optional<bool> visible;
    std::vector<MoveCall> moves;
    // Called for every ExecWB; may throw to make the command fail.
    std::function<void(int)> onExecWB;

    void Navigate(const QString& url) override { navigated << url; }
    void ExecWB(int cmdID, int cmdexecopt) override {
        commands.emplace_back(cmdID, cmdexecopt);
        if (onExecWB)
            onExecWB(cmdID);
    }
    void setVisible(bool v) override { visible = v; }
    void Move(float left, double top, float width, double height) override {
        moves.push_back({left, top, width, height});
    }
};

class FakeFileDialog : public FileDialog {
public:
    QString fileName;
    QStringList proposedAtShow;
    int opens = 0, saves = 0;
    // What the user does: given the proposed name, the name the dialog leaves in FileName
    // (an empty string for a cancel).
    std::function<QString(const QString&)> user = [](const QString&) {
        return QString();
    };

    QString FileName() const override { return fileName; }
    void setFileName(const QString& name) override { fileName = name; }
    void ShowOpen() override {
        ++opens;
        show();
    }
    void ShowSave() override {
        ++saves;
        show();
    }

private:
    void show() {
        proposedAtShow << fileName;
        fileName = user(fileName);
    }
};

class FakeMessageBox : public MessageBox {
public:
    QStringList prompts;
    void MsgBox(const QString& prompt) override { prompts << prompt; }
};

class FakeForm1Ui : public Form1Ui {
public:
    explicit FakeForm1Ui(Form1& form) {
        win.scaleWidth = 11880;
        win.scaleHeight = 8190;
        win.width = 12120;
        win.height = 8940;
        win.onResize = [&form] {
            form.dispatch([&form] { form.Form_Resize(); });
        };
    }

    FakeFormWindow win;
    FakeTextBox text1;
    FakeWebBrowser browser;
    FakeFileDialog dialog;

    FormWindow& window() override { return win; }
    TextBox& Text1() override { return text1; }
    WebBrowser& WebBrowser1() override { return browser; }
    FileDialog& CommonDialog1() override { return dialog; }
};

class FakePlatform : public Platform {
public:
    FakeMessageBox messages;
    QString folder = QStringLiteral("/opt/velcaro");
    int quits = 0;
    int form1Builds = 0;
    FakeForm1Ui* form1Ui = nullptr; // the last one built, owned by Form1

    std::unique_ptr<Form1Ui> createForm1Ui(Form1& form) override {
        ++form1Builds;
        auto ui = std::make_unique<FakeForm1Ui>(form);
        form1Ui = ui.get();
        return ui;
    }
    MessageBox& messageBox() override { return messages; }
    QString applicationFolder() const override { return folder; }
    void quit() override { ++quits; }
};

} // namespace velcaro::testing
