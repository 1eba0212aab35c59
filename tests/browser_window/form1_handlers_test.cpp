// The browser window's handlers, driven through fake controls.

#include "shell/application.h"
#include "support/fakes.h"

#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class Form1Handlers : public ::testing::Test {
protected:
    FakePlatform platform;
    Application app{platform};

    Form1& form() { return app.form1(); }
    FakeForm1Ui& ui() { return *platform.form1Ui; }
    void loaded() { form().Load(); }
    void shown() { form().Show(); }
    void pressKey(std::int16_t code) {
        std::int16_t keyAscii = code;
        form().dispatch([&] { form().Text1_KeyPress(keyAscii); });
        EXPECT_EQ(keyAscii, code) << "the key is never cancelled";
    }
};

TEST_F(Form1Handlers, LoadPutsTheDefaultAddressSelectedAndHidesTheBrowserWithoutFetching) {
    loaded();
    EXPECT_EQ(ui().text1.text, QStringLiteral("http://www.example.com/delay/valute/index.shtml"));
    EXPECT_EQ(ui().text1.selStart, 0);
    EXPECT_EQ(ui().text1.selLength, ui().text1.text.size()) << "typing replaces it";
    EXPECT_EQ(ui().browser.visible, false);
    EXPECT_TRUE(ui().browser.navigated.isEmpty());
    EXPECT_TRUE(ui().browser.moves.empty()) << "no layout before the first showing";
}

TEST_F(Form1Handlers, FirstShowingFitsTheHiddenBrowserBelowTheAddressRow) {
    shown();
    ASSERT_EQ(ui().browser.moves.size(), 1u);
    const MoveCall m = ui().browser.moves.back();
    EXPECT_EQ(m.left, 0.0f);
    EXPECT_EQ(m.top, 385.0);
    EXPECT_EQ(m.width, 11880.0f);
    EXPECT_EQ(m.height, 7805.0);
    EXPECT_EQ(ui().browser.visible, false) << "the layout does not show the browser";
}

TEST_F(Form1Handlers, ResizeFollowsEveryClientSizeAndIgnoresMinimizing) {
    shown();
    ui().win.state = WindowMaximized;
    ui().win.scaleWidth = 19200;
    ui().win.scaleHeight = 14000;
    ui().win.resized();
    EXPECT_EQ(ui().browser.moves.back().width, 19200.0f);
    EXPECT_EQ(ui().browser.moves.back().height, 14000.0 - 385.0);

    const size_t before = ui().browser.moves.size();
    ui().win.state = WindowMinimized;
    ui().win.scaleWidth = 0;
    ui().win.scaleHeight = 0;
    ui().win.resized();
    EXPECT_EQ(ui().browser.moves.size(), before) << "a minimized window keeps its layout";

    ui().win.state = WindowNormal;
    ui().win.scaleWidth = 6000;
    ui().win.scaleHeight = 3000;
    ui().win.resized();
    EXPECT_EQ(ui().browser.moves.back().width, 6000.0f)
        << "a window narrower than the address row still gives the browser its full width";
    EXPECT_EQ(ui().browser.moves.back().height, 3000.0 - 385.0);
}

TEST_F(Form1Handlers, ResizeComputesTheTopInDoublePrecisionAndAllowsNegativeHeights) {
    shown();
    ui().text1.height = 285.3f;
    ui().win.scaleHeight = 200;
    ui().win.resized();
    const MoveCall m = ui().browser.moves.back();
    EXPECT_EQ(m.top, static_cast<double>(285.3f) + 100.0);
    EXPECT_EQ(m.height, 200.0 - (static_cast<double>(285.3f) + 100.0));
    EXPECT_LT(m.height, 0.0);
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
}

TEST_F(Form1Handlers, GoPassesTheTrimmedAddressAndShowsTheBrowser) {
    loaded();
    ui().text1.text = QStringLiteral("   http://esempio.it/caffè.html  ");
    form().Command1_Click();
    EXPECT_EQ(ui().browser.navigated, QStringList{QStringLiteral("http://esempio.it/caffè.html")});
    EXPECT_EQ(ui().browser.visible, true);
    EXPECT_EQ(ui().text1.text, QStringLiteral("   http://esempio.it/caffè.html  "))
        << "the box keeps its text as typed";

    form().Command1_Click();
    EXPECT_EQ(ui().browser.navigated.size(), 2) << "every GO loads the page again";
}

TEST_F(Form1Handlers, BlankAddressMakesGoAndEnterDoNothing) {
    loaded();
    for (const QString& blank : {QString(), QStringLiteral("     ")}) {
        ui().text1.text = blank;
        form().Command1_Click();
        pressKey(13);
    }
    EXPECT_TRUE(ui().browser.navigated.isEmpty());
    EXPECT_EQ(ui().browser.visible, false);
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
}

TEST_F(Form1Handlers, TrimmingRemovesSpacesOnlyNotOtherWhiteSpace) {
    loaded();
    ui().text1.text = QStringLiteral(" \tpagina.html\t ");
    form().Command1_Click();
    EXPECT_EQ(ui().browser.navigated, QStringList{QStringLiteral("\tpagina.html\t")});
}

TEST_F(Form1Handlers, EnterActsLikeGoAndOtherKeysDoNothing) {
    loaded();
    ui().text1.text = QStringLiteral(" /tmp/pagina.html ");
    pressKey(u'a');
    pressKey(10);
    pressKey(27);
    EXPECT_TRUE(ui().browser.navigated.isEmpty());
    pressKey(13);
    EXPECT_EQ(ui().browser.navigated, QStringList{QStringLiteral("/tmp/pagina.html")});
    EXPECT_EQ(ui().browser.visible, true);
}

TEST_F(Form1Handlers, BrowseProposesOnlyAddressesThatAreNotWebAddresses) {
    loaded();
    struct Case {
        QString address;
        QString proposed;
    };
    const QString previous = QStringLiteral("/home/utente/scelto prima.html");
    const Case cases[] = {
        {QStringLiteral("HTTP://ESEMPIO.IT"), previous},
        {QStringLiteral("  hTtP:x"), previous},
        {QStringLiteral("http"), QStringLiteral("http")},
        {QStringLiteral("https://esempio.it"), QStringLiteral("https://esempio.it")},
        {QStringLiteral("  /tmp/pàgina è.html  "), QStringLiteral("/tmp/pàgina è.html")},
        {QStringLiteral("   "), previous},
    };
    for (const Case& c : cases) {
        ui().dialog.fileName = previous;
        ui().text1.text = c.address;
        form().Command2_Click();
        EXPECT_EQ(ui().dialog.proposedAtShow.last(), c.proposed) << qPrintable(c.address);
        EXPECT_EQ(ui().text1.text, c.address) << "a cancel leaves the address box alone";
    }
    EXPECT_EQ(ui().dialog.opens, 6) << "the dialog opens in every case";
}

TEST_F(Form1Handlers, BrowseFillsTheBoxWithTheChosenPathWithoutLoadingIt) {
    loaded();
    ui().dialog.user = [](const QString&) {
        return QStringLiteral("/dati/pagine/caffè 日本.html");
    };
    form().Command2_Click();
    EXPECT_EQ(ui().text1.text, QStringLiteral("/dati/pagine/caffè 日本.html"));
    EXPECT_TRUE(ui().browser.navigated.isEmpty());

    ui().dialog.user = [](const QString&) {
        return QStringLiteral("   ");
    };
    form().Command2_Click();
    EXPECT_EQ(ui().text1.text, QStringLiteral("/dati/pagine/caffè 日本.html"))
        << "a blank chosen name leaves the box as it was";

    ui().dialog.user = [](const QString&) {
        return QStringLiteral(" /con spazi.html ");
    };
    form().Command2_Click();
    EXPECT_EQ(ui().text1.text, QStringLiteral(" /con spazi.html ")) << "put in untrimmed";
}

TEST_F(Form1Handlers, TheDialogKeepsItsFileNameBetweenUses) {
    loaded();
    ui().dialog.user = [](const QString&) {
        return QStringLiteral("/a/prima.html");
    };
    form().Command2_Click();
    ui().text1.text = QStringLiteral("http://esempio.it");
    ui().dialog.user = [](const QString& proposed) {
        return proposed;
    };
    form().Command2_Click();
    EXPECT_EQ(ui().dialog.proposedAtShow.last(), QStringLiteral("/a/prima.html"));
    EXPECT_EQ(ui().text1.text, QStringLiteral("/a/prima.html"));
}

TEST_F(Form1Handlers, PrintAndPreviewPassTheirCommandsToTheBrowser) {
    loaded();
    form().mnuFilePrint_Click();
    form().mnuFilePrintPreview_Click();
    const std::vector<std::pair<int, int>> expected{{6, 1}, {7, 1}};
    EXPECT_EQ(ui().browser.commands, expected);
}

TEST_F(Form1Handlers, AFailingHandlerIsReportedAndTheProgramGoesOn) {
    shown();
    ui().text1.text = QStringLiteral("testo scritto");
    ui().browser.onExecWB = [](int) {
        throw VelcaroError(error::kNoPageShown, QStringLiteral("Nessuna pagina visualizzata."));
    };
    form().dispatch([&] { form().mnuFilePrint_Click(); });
    form().dispatch([&] { form().mnuFilePrintPreview_Click(); });
    ASSERT_EQ(platform.messages.prompts.size(), 2);
    EXPECT_EQ(platform.messages.prompts.first(),
              QStringLiteral("Errore 1001:\n\nNessuna pagina visualizzata."));
    EXPECT_TRUE(form().isLoaded());
    EXPECT_EQ(ui().text1.text, QStringLiteral("testo scritto"));
    EXPECT_EQ(platform.quits, 0);

    ui().browser.onExecWB = [](int) {
        throw std::runtime_error("guasto");
    };
    form().dispatch([&] { form().mnuFilePrint_Click(); });
    EXPECT_EQ(platform.messages.prompts.last(),
              QStringLiteral("Errore 51:\n\nErrore interno: guasto"));
}

TEST_F(Form1Handlers, ExitUnloadsAndEndsTheProgramAndALaterReferenceLoadsAfresh) {
    shown();
    ui().text1.text = QStringLiteral("altro");
    form().dispatch([&] { form().mnuFileExit_Click(); });
    EXPECT_FALSE(form().isLoaded());
    EXPECT_EQ(platform.quits, 1);

    form().CommonDialog1();
    EXPECT_TRUE(form().isLoaded());
    EXPECT_EQ(platform.form1Builds, 2);
    EXPECT_EQ(ui().text1.text, Form1::defaultAddress()) << "loaded again with Form_Load";
    EXPECT_EQ(ui().browser.visible, false);
    EXPECT_FALSE(form().isVisible()) << "a reference loads the window hidden";
}

} // namespace
