// The capture command's steps and its skip-on-failure rule, driven through fakes.

#include "shell/application.h"
#include "support/fakes.h"
#include "text_window/form3.h"

#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

const QString kNoText = QStringLiteral("Non trovo nessun testo copiato !!!");
// Select all, copy, unselect: what a capture asks of the browser.
const std::vector<std::pair<int, int>> kCaptureCommands{
    {olecmd::kSelectAll, olecmd::kDontPromptUser},
    {olecmd::kCopy, olecmd::kDontPromptUser},
    {olecmd::kClearSelection, olecmd::kDontPromptUser}};

class CaptureCommand : public ::testing::Test {
protected:
    void SetUp() override {
        app.form1().Show();
        // The browser's copy puts `copied` on the clipboard.
        browser().onExecWB = [this](int cmd) {
            if (cmd == olecmd::kCopy)
                for (const auto& [code, text] : copied)
                    platform.clip.formats[code] = text;
        };
    }

    FakeWebBrowser& browser() { return platform.form1Ui->browser; }
    FakeForm3Ui* text() { return platform.form3Ui; }
    void capture() {
        app.form1().dispatch([&] { app.form1().mnuCopia_Testo_Click(); });
    }

    FakePlatform platform;
    Application app{platform};
    std::map<std::int16_t, QString> copied;
};

TEST_F(CaptureCommand, PlainAndRichTextFillTheWindowWithThePlainTextWithoutMovingTheFocus) {
    platform.clip.formats[clipformat::kText] = QStringLiteral("vecchio contenuto");
    copied = {{clipformat::kText, QStringLiteral("Caffè 日本 🙂")},
              {clipformat::kRtf, QStringLiteral("{\\rtf1 x}")}};
    capture();

    EXPECT_EQ(browser().commands, kCaptureCommands);
    EXPECT_EQ(platform.clip.log.first(), QStringLiteral("Clear"));
    ASSERT_NE(text(), nullptr);
    EXPECT_TRUE(app.form3().isVisible());
    EXPECT_EQ(text()->text.log, (QStringList{"Text", "Refresh"}));
    EXPECT_EQ(text()->text.content, QStringLiteral("Caffè 日本 🙂"));
    EXPECT_EQ(text()->win.focusCount, 0);
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
}

// "Copia testo principale" runs the same capture on the main text, and the window's title
// says what it holds: the main text, or the whole page when the page has none.
TEST_F(CaptureCommand, TheMainTextFillsTheSameWindowAndItsTitleSaysWhatItHolds) {
    copied = {{clipformat::kText, QStringLiteral("Solo l'articolo")},
              {clipformat::kRtf, QStringLiteral("{\\rtf1 x}")}};
    app.form1().dispatch([&] { app.form1().mnuCopia_Testo_Principale_Click(); });
    EXPECT_EQ(browser().commands.front().first, FakeWebBrowser::kSelectMainText);
    EXPECT_EQ(browser().commands.back(), kCaptureCommands.back());
    ASSERT_NE(text(), nullptr);
    EXPECT_EQ(text()->text.content, QStringLiteral("Solo l'articolo"));
    EXPECT_EQ(text()->win.caption, Form3::mainTextCaption());

    browser().hasMainText = false;
    app.form1().dispatch([&] { app.form1().mnuCopia_Testo_Principale_Click(); });
    EXPECT_EQ(text()->win.caption, Form3::noMainTextCaption());
    capture();
    EXPECT_EQ(text()->win.caption, Form3::pageCaption());
    EXPECT_TRUE(platform.messages.prompts.isEmpty()) << "the user is told without a message";

    // A main text that copies to no text (its ranges could not be selected in time) is none:
    // the whole page is copied instead.
    browser().hasMainText = true;
    browser().onExecWB = [this](int cmd) {
        const auto& commands = browser().commands;
        if (cmd != olecmd::kCopy)
            return;
        const bool main = commands[commands.size() - 2].first == FakeWebBrowser::kSelectMainText;
        platform.clip.formats[clipformat::kText] = main ? QStringLiteral(" \n") : "Tutta la pagina";
        platform.clip.formats[clipformat::kRtf] = QStringLiteral("{\\rtf1 x}");
    };
    app.form1().dispatch([&] { app.form1().mnuCopia_Testo_Principale_Click(); });
    EXPECT_EQ(text()->text.content, QStringLiteral("Tutta la pagina"));
    EXPECT_EQ(text()->win.caption, Form3::noMainTextCaption());

    browser().onExecWB = nullptr;
    platform.clip.formats.clear();
    app.form1().dispatch([&] { app.form1().mnuCopia_Testo_Principale_Click(); });
    EXPECT_EQ(platform.messages.prompts, QStringList{kNoText});
}

TEST_F(CaptureCommand, ProbesTheFormatsInOrderAndMakesBothCopiedTextProbes) {
    copied = {{clipformat::kText, QStringLiteral("a")}, {clipformat::kRtf, QStringLiteral("r")}};
    capture();
    const QStringList probes = platform.clip.log.filter(QStringLiteral("GetFormat"));
    QStringList expected;
    for (std::int16_t code : {clipformat::kText, clipformat::kBitmap, clipformat::kDib,
                              clipformat::kRtf, clipformat::kRtfAlt, clipformat::kRtf})
        expected << QStringLiteral("GetFormat %1").arg(code);
    EXPECT_EQ(probes, expected);
}

TEST_F(CaptureCommand, RichTextOnlyFillsThroughTextWithTheEmptyPlainText) {
    copied = {{clipformat::kRtf, QStringLiteral("{\\rtf1 solo}")}};
    capture();
    EXPECT_EQ(text()->text.log, (QStringList{"Text", "Refresh"}));
    EXPECT_EQ(text()->text.content, QString());
}

TEST_F(CaptureCommand, RichTextWithABitmapFillsThroughTextRtfAndFocusesTheWindow) {
    for (std::int16_t bitmap : {clipformat::kBitmap, clipformat::kDib}) {
        copied = {{clipformat::kText, QStringLiteral("t")},
                  {clipformat::kRtf, QStringLiteral("{\\rtf1 con immagine}")},
                  {bitmap, QString()}};
        capture();
        EXPECT_EQ(text()->text.log.mid(text()->text.log.size() - 2),
                  (QStringList{"TextRTF", "Refresh"}));
        EXPECT_EQ(text()->text.content, QStringLiteral("{\\rtf1 con immagine}"));
    }
    EXPECT_EQ(text()->win.focusCount, 2);
    EXPECT_EQ(platform.form3Builds, 1) << "the second capture reuses the open window";
}

TEST_F(CaptureCommand, PlainTextAloneIsNoCopiedTextAndOpensNoWindow) {
    copied = {{clipformat::kText, QStringLiteral("solo testo")}};
    capture();
    EXPECT_EQ(platform.messages.prompts, QStringList{kNoText});
    EXPECT_EQ(text(), nullptr);
    EXPECT_EQ(browser().commands.back(),
              (std::pair<int, int>{olecmd::kClearSelection, olecmd::kDontPromptUser}));
}

TEST_F(CaptureCommand, NoDocumentShowsTheMessageAndStillClearsTheSelection) {
    platform.clip.formats[clipformat::kText] = QStringLiteral("quello che c'era prima");
    browser().onExecWB = [](int) {
        throw VelcaroError(error::kNoPageShown, QStringLiteral("Nessuna pagina"));
    };
    capture();
    EXPECT_EQ(platform.messages.prompts, QStringList{kNoText}) << "the failures are not reported";
    EXPECT_EQ(browser().commands.size(), 3u);
    EXPECT_EQ(browser().commands.back().first, olecmd::kClearSelection);
    EXPECT_TRUE(platform.clip.formats.empty()) << "what was on the clipboard before is gone";
}

TEST_F(CaptureCommand, EveryClipboardFailureGivesScoreFifteenAndTheDesignedText) {
    platform.clip.failing = true;
    capture();
    ASSERT_NE(text(), nullptr);
    EXPECT_TRUE(app.form3().isVisible());
    EXPECT_EQ(text()->text.log, (QStringList{"Refresh"})) << "TextRTF's GetText failed first";
    EXPECT_EQ(text()->text.content, QStringLiteral("RichTextBox1"));
    EXPECT_EQ(text()->win.focusCount, 1);
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
    EXPECT_EQ(browser().commands.back().first, olecmd::kClearSelection);
}

TEST_F(CaptureCommand, AFailingProbeCountsAsPresent) {
    // The RTF probe fails: it counts 8 and the copied-text test fails too, so with plain text
    // the score is 9 and the plain text goes in.
    copied = {{clipformat::kText, QStringLiteral("testo")}};
    platform.clip.failingCodes = {clipformat::kRtf};
    capture();
    ASSERT_NE(text(), nullptr);
    EXPECT_EQ(text()->text.content, QStringLiteral("testo"));
    EXPECT_EQ(text()->text.log, (QStringList{"Text", "Refresh"}));

    // A failing bitmap probe adds 2: score 11 takes the RTF branch.
    copied = {{clipformat::kText, QStringLiteral("t")}, {clipformat::kRtf, QStringLiteral("{r}")}};
    platform.clip.failingCodes = {clipformat::kBitmap};
    capture();
    EXPECT_EQ(text()->text.log.mid(2), (QStringList{"TextRTF", "Refresh"}));
}

TEST_F(CaptureCommand, AltFormatWithoutRichTextOpensTheWindowWithAnEmptyRtfDocument) {
    copied = {{clipformat::kText, QStringLiteral("t")}, {clipformat::kRtfAlt, QStringLiteral("x")}};
    capture();
    ASSERT_NE(text(), nullptr);
    EXPECT_EQ(text()->text.log, (QStringList{"TextRTF", "Refresh"}));
    EXPECT_EQ(text()->text.content, QString());
    EXPECT_EQ(text()->win.focusCount, 1);
}

TEST_F(CaptureCommand, FailuresInsideABranchSkipOnlyTheFailedStatement) {
    copied = {{clipformat::kText, QStringLiteral("t")},
              {clipformat::kRtf, QStringLiteral("{r}")},
              {clipformat::kBitmap, QString()}};
    app.form3().Load();
    platform.form3Ui->text.onOperation = [](const QString& op) {
        if (op != u"SaveFile")
            throw VelcaroError(error::kInternal, op);
    };
    capture();
    EXPECT_EQ(platform.form3Ui->text.log, (QStringList{"TextRTF", "Refresh"}));
    EXPECT_EQ(platform.form3Ui->win.focusCount, 1) << "SetFocus still runs";
    EXPECT_TRUE(platform.messages.prompts.isEmpty()) << "never falls into the message branch";
    EXPECT_EQ(browser().commands.back().first, olecmd::kClearSelection);
}

TEST_F(CaptureCommand, ClosingTheBrowserWindowDuringTheCopyStillEndsTheProgram) {
    // The copy waits in an event loop, where the user can close the window. The last step
    // then loads it again, hidden, to clear the selection.
    browser().onExecWB = [this](int cmd) {
        if (cmd == olecmd::kCopy)
            app.form1().Unload();
    };
    capture();
    EXPECT_EQ(platform.messages.prompts, QStringList{kNoText});
    EXPECT_TRUE(app.form1().isLoaded());
    EXPECT_FALSE(app.form1().isVisible());
    EXPECT_EQ(platform.quits, 1) << "no window is visible, so the program ends";
}

TEST_F(CaptureCommand, AfterTheWindowWasClosedTheNextCaptureBuildsAFreshOne) {
    copied = {{clipformat::kText, QStringLiteral("primo")},
              {clipformat::kRtf, QStringLiteral("r")}};
    capture();
    app.form3().Command1_Click();
    copied[clipformat::kText] = QStringLiteral("secondo");
    capture();
    EXPECT_EQ(platform.form3Builds, 2);
    EXPECT_EQ(text()->text.content, QStringLiteral("secondo"));
    EXPECT_EQ(text()->command1.left, 9000.0f) << "laid out anew by its first showing";
}

TEST_F(CaptureCommand, ASecondCaptureWhileTheCopyWaitsDoesNothing) {
    copied = {{clipformat::kText, QStringLiteral("testo")},
              {clipformat::kRtf, QStringLiteral("{\\rtf1 testo}")}};
    int nested = 0;
    const auto copy = browser().onExecWB;
    browser().onExecWB = [&](int cmd) {
        // Ctrl+C pressed again while the copy waits in its event loop.
        if (cmd == olecmd::kCopy && nested++ == 0)
            capture();
        copy(cmd);
    };
    capture();
    EXPECT_EQ(nested, 1);
    EXPECT_EQ(browser().commands, kCaptureCommands) << "one select-all, one copy, one unselect";
    EXPECT_EQ(platform.clip.log.count(QStringLiteral("Clear")), 1);
    ASSERT_NE(text(), nullptr);
    EXPECT_EQ(text()->text.content, QStringLiteral("testo"));

    capture();
    EXPECT_EQ(browser().commands.size(), 6u) << "the next capture runs again";
}

} // namespace
