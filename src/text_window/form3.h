#pragma once

#include "shell/form.h"

#include <QString>
#include <memory>

namespace velcaro {

class CommandButton;
class Form3Ui;
class RichTextBox;
class TextRecovery;
class Timer;

// The captured-text window: the editable text and the row of close and save buttons.
//
// The names of the controls and handlers are the designed ones (docs/naming.md):
//   RichTextBox1   the captured text, editable       filled by the capture command
//   Command1       "F I N E"                         Command1_Click: closes the window
//   Command2       "Salva Testo .TXT"                Command2_Click: saves plain text
//   Command3       "Salva Testo .RTF"                Command3_Click: saves RTF
// Command1 is "F I N E" here and "GO" in Form1: each form names its controls from 1.
// Positions and sizes are in twips, 1/1440 of an inch (15 to a pixel at 96 dots per inch).
//
// While the window holds text, the text is kept for recovery (TextRecovery): a few seconds
// after each change, at once when the program is ended from outside, and no more once the
// window is closed, which discards the text as designed. At start, a text a run left behind
// is offered once; one too long to open is left on disk, and the user told where.
class Form3 : public Form {
public:
    explicit Form3(Application& app);
    ~Form3() override;

    // The designed content of the text area, an RTF document whose text is "RichTextBox1".
    static const char* designedRtf();
    // The window's title for the page's whole text, for its main text, and for the whole
    // text taken when a page had no main text.
    static QString pageCaption();
    static QString mainTextCaption();
    static QString noMainTextCaption();
    // The window's title for a text restored at start.
    static QString restoredCaption();

    // Layout limits and margins, in twips.
    static constexpr float kMinHeight = 1400;
    static constexpr float kMinWidth = 4170;
    static constexpr double kHeightAllowance = 600;
    static constexpr double kWidthAllowance = 320;
    static constexpr double kRightMargin = 200;
    static constexpr float kFallbackLeft = 20;

    // How long after a change the text is kept, in milliseconds; changes made meanwhile go
    // with it.
    static constexpr int kKeepDelayMs = 3000;
    // The longest left text offered at start, in bytes: twice the 30 MB the keeping is
    // measured with; the window opens it in about 2.3 s and holds it in about 240 MB. A text
    // of 1 GB took more than 140 s and 4 GB.
    static constexpr qint64 kMaxLeftTextBytes = 64 * 1024 * 1024;

    RichTextBox& RichTextBox1();
    CommandButton& Command1();
    CommandButton& Command2();
    CommandButton& Command3();
    Timer& keepTimer();

    void Form_Resize();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void RichTextBox1_Change();
    // The keep timer's event: the text goes to the recovery.
    void keepText();

    // The program is being ended from outside: the text the window holds is written at once.
    void keepTextNow();
    // At start: offers to restore the text a run left behind, once, or says where it stays
    // when it is too long to open.
    void offerLeftText();

protected:
    void createUi() override;
    void destroyUi() override;
    FormWindow& uiWindow() const override;
    void Form_Unload() override;

private:
    // Right-aligns the button when the row's test sum is less than the window's width.
    void placeButton(CommandButton& button, int buttonsInRow, double testOffset);
    double rowWidth(int buttonsInRow);
    void save(const QString& suffix, int fileType, const QString& prompt);
    TextRecovery& recovery();

    std::unique_ptr<Form3Ui> ui_;
    // Whether the text changed since the window was loaded: the designed content alone is
    // not kept.
    bool holdsText_ = false;
};

} // namespace velcaro
