// The captured-text window's layout, saves, close and the recovery of its text, driven through
// fake controls.

#include "shell/application.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class Form3Handlers : public ::testing::Test {
protected:
    FakePlatform platform;
    Application app{platform};

    Form3& form() { return app.form3(); }
    FakeForm3Ui& ui() { return *platform.form3Ui; }
    void resizeTo(float width, float height) {
        ui().win.width = width;
        ui().win.height = height;
        ui().win.resized();
    }
    // Counts from now on every run of the resize handler, nested ones included.
    void countResizeRuns() {
        ui().win.onResize = [this, inner = ui().win.onResize] {
            ++resizeRuns;
            inner();
        };
    }
    int resizeRuns = 0;
    std::vector<float> lefts() {
        return {ui().command1.left, ui().command2.left, ui().command3.left};
    }
};

TEST_F(Form3Handlers, FirstShowingLaysOutTheTextAndTheRightAlignedButtonRow) {
    form().Show();
    EXPECT_EQ(ui().text.width, 9705.0f);
    EXPECT_EQ(ui().text.height, 6105.0f);
    EXPECT_EQ(lefts(), (std::vector<float>{9000, 7425, 5850}))
        << "from left to right: RTF save, TXT save, close, touching";
}

TEST_F(Form3Handlers, MinimumSizeSetsTheWindowBackAndKeepsTheLastTextSize) {
    form().Show();
    ui().win.width = 3000;
    ui().win.height = 900;
    ui().win.resized();
    EXPECT_EQ(ui().win.height, 1400.0f);
    EXPECT_EQ(ui().win.width, 4170.0f);
    EXPECT_EQ(ui().text.width, 9705.0f) << "not fitted at or below the minimum";
    EXPECT_EQ(ui().text.height, 6105.0f);
    EXPECT_EQ(lefts(), (std::vector<float>{3145, 1570, -5}))
        << "at the minimum width the RTF button reaches 5 twips past the left edge";
}

TEST_F(Form3Handlers, ExactMinimumsAreSetAgainWithoutAnotherResize) {
    form().Show();
    countResizeRuns();
    resizeTo(4170, 1400);
    EXPECT_EQ(resizeRuns, 1) << "setting a size to the value it has raises no resize";
    EXPECT_EQ(ui().text.width, 9705.0f);
    EXPECT_EQ(ui().text.height, 6105.0f);

    resizeTo(4171, 1401);
    EXPECT_EQ(ui().text.width, 4171.0f - 320.0f);
    EXPECT_EQ(ui().text.height, 1401.0f - 330.0f - 600.0f);
}

TEST_F(Form3Handlers, ShrinkingBelowTheMinimumRunsANestedResizeForTheNewSize) {
    form().Show();
    countResizeRuns();
    resizeTo(2000, 5000);
    EXPECT_EQ(resizeRuns, 2) << "setting the width back runs the handler again, nested";
    EXPECT_EQ(ui().win.width, 4170.0f);
    EXPECT_EQ(ui().text.height, 5000.0f - 330.0f - 600.0f);
    EXPECT_EQ(lefts(), (std::vector<float>{3145, 1570, -5}));
}

TEST_F(Form3Handlers, ButtonsFallBackToTheLeftEdgeWhenTheirTestSumReachesTheWidth) {
    form().Show();
    // Only Command3's test (825 + 1575 + 1575 - 200 = 3775) can fail above the minimum width.
    ui().command3.width = 3000;
    resizeTo(5000, 3000);
    EXPECT_EQ(ui().command3.left, 20.0f) << "825 + 1575 + 3000 - 200 = 5200 >= 5000";
    ui().command3.width = 2800;
    resizeTo(5000, 3000);
    EXPECT_EQ(ui().command3.left, 20.0f) << "a test sum equal to the width falls back";
    ui().command3.width = 2799;
    resizeTo(5000, 3000);
    EXPECT_EQ(ui().command3.left, 5000.0f - (825 + 1575 + 2799 + 200));
}

TEST_F(Form3Handlers, AMinimizedWindowKeepsItsLayoutAndIsLaidOutAgainWhenRestored) {
    form().Show();
    ui().win.state = WindowMinimized;
    resizeTo(100, 100);
    EXPECT_EQ(ui().win.width, 100.0f) << "nothing set back while minimized";
    EXPECT_EQ(lefts(), (std::vector<float>{9000, 7425, 5850}));
    ui().win.state = WindowNormal;
    resizeTo(12000, 8000);
    EXPECT_EQ(ui().text.width, 11680.0f);
    EXPECT_EQ(ui().command1.left, 12000.0f - 1025.0f);
}

TEST_F(Form3Handlers, SavesProposeTheFileInTheApplicationFolderAndConfirm) {
    form().Show();
    app.form1().Load();
    FakeFileDialog& dialog = platform.form1Ui->dialog;
    dialog.user = [](const QString& proposed) {
        return proposed;
    };

    form().Command2_Click();
    form().Command3_Click();
    EXPECT_EQ(dialog.proposedAtShow,
              (QStringList{"/opt/velcaro/TESTO.TXT", "/opt/velcaro/TESTO.RTF"}));
    ASSERT_EQ(ui().text.saves.size(), 2u);
    EXPECT_EQ(ui().text.saves[0].path, QStringLiteral("/opt/velcaro/TESTO.TXT"));
    EXPECT_EQ(ui().text.saves[0].type, 1);
    EXPECT_EQ(ui().text.saves[1].type, 0);
    EXPECT_EQ(platform.messages.prompts,
              (QStringList{"Salvato il testo nel file: /opt/velcaro/TESTO.TXT",
                           "Salvato il testo di tipo RTF nel file: /opt/velcaro/TESTO.RTF"}));
    EXPECT_EQ(dialog.fileName, QStringLiteral("/opt/velcaro/TESTO.RTF"))
        << "the chosen name stays in the dialog for the browse button";
}

TEST_F(Form3Handlers, ABlankChosenNameSavesNothingAndSpacesAreKept) {
    form().Show();
    app.form1().Load();
    FakeFileDialog& dialog = platform.form1Ui->dialog;
    for (const QString& blank : {QString(), QStringLiteral("    ")}) {
        dialog.user = [blank](const QString&) {
            return blank;
        };
        form().Command2_Click();
    }
    EXPECT_TRUE(ui().text.saves.empty());
    EXPECT_TRUE(platform.messages.prompts.isEmpty());

    dialog.user = [](const QString&) {
        return QStringLiteral("  /tmp/con spazi.txt ");
    };
    form().Command2_Click();
    ASSERT_EQ(ui().text.saves.size(), 1u);
    EXPECT_EQ(ui().text.saves[0].path, QStringLiteral("  /tmp/con spazi.txt "));
    EXPECT_EQ(platform.messages.prompts.last(),
              QStringLiteral("Salvato il testo nel file:   /tmp/con spazi.txt "));
}

TEST_F(Form3Handlers, AFailedSaveIsReportedWithoutConfirmationAndTheTextStays) {
    form().Show();
    ui().text.content = QStringLiteral("testo catturato");
    app.form1().Load();
    platform.form1Ui->dialog.user = [](const QString&) {
        return QStringLiteral("/no/file.txt");
    };
    ui().text.onOperation = [](const QString& op) {
        if (op == u"SaveFile")
            throw VelcaroError(error::kPathNotFound, QStringLiteral("la cartella non esiste"));
    };
    form().dispatch([&] { form().Command2_Click(); });
    EXPECT_EQ(platform.messages.prompts,
              QStringList{QStringLiteral("Errore 76:\n\nla cartella non esiste")});
    EXPECT_TRUE(form().isLoaded());
    EXPECT_EQ(ui().text.content, QStringLiteral("testo catturato"));
}

TEST_F(Form3Handlers, SavingAfterTheBrowserWindowClosedLoadsItHiddenAndTheProgramStillEnds) {
    app.form1().Show();
    form().Show();
    app.form1().dispatch([&] { app.form1().mnuFileExit_Click(); });
    EXPECT_EQ(platform.quits, 0) << "the captured-text window is still open";

    platform.form1Ui = nullptr;
    form().Command2_Click();
    ASSERT_NE(platform.form1Ui, nullptr) << "the dialog is reached by loading the window again";
    EXPECT_TRUE(app.form1().isLoaded());
    EXPECT_FALSE(app.form1().isVisible());

    form().dispatch([&] { form().Command1_Click(); });
    EXPECT_FALSE(form().isLoaded());
    EXPECT_EQ(platform.quits, 1) << "a hidden browser window does not keep the program alive";
}

TEST_F(Form3Handlers, CloseDiscardsTheTextAndALaterShowingBuildsTheWindowAfresh) {
    form().Show();
    ui().text.content = QStringLiteral("da perdere");
    form().Command1_Click();
    EXPECT_FALSE(form().isLoaded());
    form().Show();
    EXPECT_EQ(platform.form3Builds, 2);
    EXPECT_EQ(ui().text.content, QStringLiteral("RichTextBox1"));
    EXPECT_EQ(lefts(), (std::vector<float>{9000, 7425, 5850})) << "laid out anew";
}

TEST_F(Form3Handlers, TheTextIsKeptAfterEachChangeAndDiscardedWhenTheWindowCloses) {
    form().Show();
    form().keepTextNow();
    EXPECT_TRUE(platform.recovery.log.isEmpty()) << "the designed content alone is not kept";

    ui().text.setText(QStringLiteral("testo catturato"));
    ASSERT_TRUE(ui().timer.running) << "kept a few seconds later";
    EXPECT_TRUE(platform.recovery.log.isEmpty());
    ui().timer.fire();
    ui().text.setText(QStringLiteral("testo modificato"));
    form().keepTextNow();
    EXPECT_EQ(platform.recovery.log,
              (QStringList{"keep testo catturato", "keepNow testo modificato"}));

    platform.recovery.log.clear();
    form().dispatch([&] { form().Command1_Click(); });
    form().keepTextNow();
    EXPECT_EQ(platform.recovery.log, QStringList{QStringLiteral("discard")})
        << "F I N E discards the text; nothing is kept once the window is gone";

    form().Show();
    form().keepTextNow();
    EXPECT_EQ(platform.recovery.log.size(), 1) << "a window loaded anew holds no text yet";
}

TEST_F(Form3Handlers, ATextLeftByARunIsOfferedOnceAndRestoredIntoTheWindow) {
    platform.recovery.left = LeftText{QStringLiteral("testo di ieri")};
    form().offerLeftText();
    form().offerLeftText();
    ASSERT_EQ(platform.messages.questions.size(), 1) << "offered once";
    EXPECT_TRUE(platform.messages.questions[0].endsWith(QStringLiteral("[Ripristina|Scarta]")));
    EXPECT_EQ(platform.recovery.log, (QStringList{"take", "restore", "take"}));
    ASSERT_TRUE(form().isVisible());
    EXPECT_EQ(ui().text.content, QStringLiteral("testo di ieri"));
    EXPECT_EQ(ui().win.caption, QStringLiteral("Velcaro - Testo ripristinato"));
    form().keepTextNow();
    EXPECT_EQ(platform.recovery.log.last(), QStringLiteral("keepNow testo di ieri"));
}

TEST_F(Form3Handlers, ALeftTextTheUserDiscardsIsDroppedAndTheStartGoesOnAsDesigned) {
    form().offerLeftText();
    EXPECT_TRUE(platform.messages.questions.isEmpty()) << "nothing left: no question";

    platform.recovery.left = LeftText{QStringLiteral("testo di ieri")};
    platform.messages.answer = false;
    form().offerLeftText();
    EXPECT_EQ(platform.recovery.log, (QStringList{"take", "take", "drop"}));
    EXPECT_FALSE(form().isLoaded());
}

TEST_F(Form3Handlers, ALeftTextTooLongToOpenIsNotOfferedAndTheUserIsToldWhereItStays) {
    platform.recovery.left =
        LeftText{QString(), QStringLiteral("/home/lia/recupero/1-2-0.troppo-lungo.txt"),
                 qint64(1536) * 1024 * 1024};
    form().offerLeftText();
    EXPECT_TRUE(platform.messages.questions.isEmpty());
    ASSERT_EQ(platform.messages.prompts.size(), 1);
    EXPECT_TRUE(platform.messages.prompts[0].contains(
        QStringLiteral("(1,5 GB) è troppo lungo per essere riaperto.\n\nNon è stato "
                       "aperto ed è conservato nel file:\n/home/lia/recupero/"
                       "1-2-0.troppo-lungo.txt\n")))
        << platform.messages.prompts[0].toStdString();
    EXPECT_EQ(platform.recovery.log, QStringList{QStringLiteral("take")}) << "its file stays";
    EXPECT_FALSE(form().isLoaded());
}

} // namespace
