#pragma once

// Stand-ins for the windowing system, so the handlers run without Qt widgets: each records
// what the handlers asked of it and can be told to fail.

#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "browser_window/form1_ui.h"
#include "platform/clipboard.h"
#include "platform/command_button.h"
#include "platform/file_dialog.h"
#include "platform/form_window.h"
#include "platform/message_box.h"
#include "platform/platform.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "platform/text_recovery.h"
#include "platform/timer.h"
#include "platform/velcaro_error.h"
#include "platform/web_browser.h"
#include "support/qt_printers.h"
#include "text_window/form3.h"
#include "text_window/form3_layout.h"
#include "text_window/form3_ui.h"

#include <QStringList>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace velcaro::testing {

class FakeFormWindow : public FormWindow {
public:
    int state = WindowNormal;
    float scaleWidth = 0, scaleHeight = 0, width = 0, height = 0;
    bool visible = false;
    bool shown = false;
    int focusCount = 0;
    QString caption;
    // The form's resize handler, delivered as the platform does: at the first showing and
    // at every change of the outer size.
    std::function<void()> onResize;

    // The designed client size, the outer size around it, and the form's Form_Resize as the
    // resize handler.
    template <typename Form>
    void design(Form& form, float clientWidth, float clientHeight, float outerWidth,
                float outerHeight) {
        scaleWidth = clientWidth;
        scaleHeight = clientHeight;
        width = outerWidth;
        height = outerHeight;
        onResize = [&form] {
            form.dispatch([&form] { form.Form_Resize(); });
        };
    }

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
    void setCaption(const QString& c) override { caption = c; }
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
    float height = form1_layout::kText1.height;
    int selStart = 0, selLength = 0;

    QString Text() const override { return text; }
    void setText(const QString& t) override {
        text = t;
        selStart = selLength = 0;
    }
    float Height() const override { return height; }
    void setSelStart(int start) override {
        selStart = start;
        selLength = 0;
    }
    void setSelLength(int length) override { selLength = length; }
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
    // The hook may unload the window that owns this browser, so it runs from a copy and
    // nothing of this object is touched after it.
    void ExecWB(int cmdID, int cmdexecopt) override {
        commands.emplace_back(cmdID, cmdexecopt);
        if (const auto hook = onExecWB)
            hook(cmdID);
    }
    void setVisible(bool v) override { visible = v; }
    void Move(float left, double top, float width, double height) override {
        moves.push_back({left, top, width, height});
    }
    // selectMainText, logged among the commands; it finds main text when `hasMainText`.
    static constexpr int kSelectMainText = -1;
    bool hasMainText = true;
    bool selectMainText() override {
        commands.emplace_back(kSelectMainText, 0);
        return hasMainText;
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
    // The questions asked, each with its two choices, and the user's answer to them.
    QStringList questions;
    bool answer = true;

    void MsgBox(const QString& prompt) override { prompts << prompt; }
    bool ask(const QString& prompt, const QString& accept, const QString& reject) override {
        questions << prompt + QStringLiteral(" [") + accept + QStringLiteral("|") + reject +
                         QStringLiteral("]");
        return answer;
    }
};

class FakeForm1Ui : public Form1Ui {
public:
    explicit FakeForm1Ui(Form1& form) {
        win.design(form, form1_layout::kClientWidth, form1_layout::kClientHeight, 12120, 8940);
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

class FakeCommandButton : public CommandButton {
public:
    explicit FakeCommandButton(const TwipsRect& place)
        : left(place.left), width(place.width), height(place.height) {}
    float left, width, height;

    float Left() const override { return left; }
    float Width() const override { return width; }
    float Height() const override { return height; }
    void setLeft(float twips) override { left = twips; }
};

// Records every operation in `log` ("Text", "TextRTF", "Refresh", "SaveFile"...). A change of
// the content raises `onChange`, as the control's Change event.
class FakeRichTextBox : public RichTextBox {
public:
    QString content = QStringLiteral("RichTextBox1");
    bool contentIsRtf = true;
    float height = form3_layout::kRichTextBox1.height;
    float width = form3_layout::kRichTextBox1.width;
    QStringList log;
    struct Save {
        QString path;
        int type;
    };
    std::vector<Save> saves;
    std::function<void(const QString&)> onOperation; // may throw
    std::function<void()> onChange;

    QString Text() override { return content; }
    void setText(const QString& text) override {
        op(QStringLiteral("Text"));
        content = text;
        contentIsRtf = false;
        changed();
    }
    void setTextRTF(const QString& rtf) override {
        op(QStringLiteral("TextRTF"));
        content = rtf;
        contentIsRtf = true;
        changed();
    }
    void readText(std::function<void(const QString&)> done) override { done(content); }
    void Refresh() override { op(QStringLiteral("Refresh")); }
    void SaveFile(const QString& path, int type) override {
        op(QStringLiteral("SaveFile"));
        saves.push_back({path, type});
    }
    QByteArray fileContent(int type) override {
        op(QStringLiteral("Content"));
        return (type == rtfRTF ? QStringLiteral("RTF:") + content : content).toUtf8();
    }
    void setHeight(float twips) override { height = twips; }
    void setWidth(float twips) override { width = twips; }

    void changed() {
        if (onChange)
            onChange();
    }

private:
    void op(const QString& name) {
        log << name;
        if (onOperation)
            onOperation(name);
    }
};

// A timer that fires when told.
class FakeTimer : public Timer {
public:
    bool running = false;
    std::function<void()> onTimeout;

    void start() override { running = true; }
    void stop() override { running = false; }
    void fire() {
        running = false;
        if (onTimeout)
            onTimeout();
    }
};

// Records every operation in `log` ("take", "restore", "drop", "keep TEXT", "keepNow TEXT",
// "discard"); `left` is the text a run left behind, handed out once.
class FakeTextRecovery : public TextRecovery {
public:
    std::optional<LeftText> left;
    QStringList log;

    std::optional<LeftText> takeLeftText(qint64) override {
        log << QStringLiteral("take");
        return std::exchange(left, std::nullopt);
    }
    void restoreLeftText() override { log << QStringLiteral("restore"); }
    void dropLeftText() override { log << QStringLiteral("drop"); }
    void keep(const QString& text) override { log << QStringLiteral("keep ") + text; }
    void keepNow(const QString& text) override { log << QStringLiteral("keepNow ") + text; }
    void discard() override { log << QStringLiteral("discard"); }
};

// Holds formats by code; `failing` makes every operation throw, and a code in `failingCodes`
// makes GetFormat of that code throw.
class FakeClipboard : public Clipboard {
public:
    std::map<std::int16_t, QString> formats;
    bool failing = false;
    std::vector<std::int16_t> failingCodes;
    QStringList log;

    void Clear() override {
        log << QStringLiteral("Clear");
        check();
        formats.clear();
    }
    bool GetFormat(std::int16_t code) override {
        log << QStringLiteral("GetFormat %1").arg(code);
        check();
        for (std::int16_t c : failingCodes)
            if (c == code)
                throw VelcaroError(error::kInternal, QStringLiteral("formato illeggibile"));
        return formats.count(code) > 0;
    }
    QString GetText(std::int16_t code) override {
        log << QStringLiteral("GetText %1").arg(code);
        check();
        const auto it = formats.find(code);
        return it == formats.end() ? QString() : it->second;
    }

private:
    void check() const {
        if (failing)
            throw VelcaroError(error::kInternal, QStringLiteral("appunti non disponibili"));
    }
};

class FakeForm3Ui : public Form3Ui {
public:
    explicit FakeForm3Ui(Form3& form) {
        win.design(form, form3_layout::kClientWidth, form3_layout::kClientHeight, 10025, 7035);
        text.onChange = [&form] {
            form.dispatch([&form] { form.RichTextBox1_Change(); });
        };
        timer.onTimeout = [&form] {
            form.dispatch([&form] { form.keepText(); });
        };
    }

    FakeFormWindow win;
    FakeRichTextBox text;
    FakeCommandButton command1{form3_layout::kCommand1};
    FakeCommandButton command2{form3_layout::kCommand2};
    FakeCommandButton command3{form3_layout::kCommand3};
    FakeTimer timer;

    FormWindow& window() override { return win; }
    RichTextBox& RichTextBox1() override { return text; }
    CommandButton& Command1() override { return command1; }
    CommandButton& Command2() override { return command2; }
    CommandButton& Command3() override { return command3; }
    Timer& keepTimer() override { return timer; }
};

class FakePlatform : public Platform {
public:
    FakeMessageBox messages;
    QString folder = QStringLiteral("/opt/velcaro");
    int quits = 0;
    int form1Builds = 0;
    FakeForm1Ui* form1Ui = nullptr; // the last one built, owned by Form1
    int form3Builds = 0;
    FakeForm3Ui* form3Ui = nullptr; // the last one built, owned by Form3
    FakeClipboard clip;
    FakeTextRecovery recovery;

    std::unique_ptr<Form1Ui> createForm1Ui(Form1& form) override {
        ++form1Builds;
        auto ui = std::make_unique<FakeForm1Ui>(form);
        form1Ui = ui.get();
        return ui;
    }
    std::unique_ptr<Form3Ui> createForm3Ui(Form3& form) override {
        ++form3Builds;
        auto ui = std::make_unique<FakeForm3Ui>(form);
        form3Ui = ui.get();
        return ui;
    }
    MessageBox& messageBox() override { return messages; }
    Clipboard& clipboard() override { return clip; }
    TextRecovery& textRecovery() override { return recovery; }
    QString applicationFolder() const override { return folder; }
    void quit() override { ++quits; }
};

} // namespace velcaro::testing
