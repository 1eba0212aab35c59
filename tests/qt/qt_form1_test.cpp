// The browser window on the real Qt bindings, offscreen: design, keys, navigation, exit.

#include "browser_window/form1.h"
#include "qt/twips.h"
#include "shell/application.h"
#include "support/qt_helpers.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

class QtForm1 : public ::testing::Test {
protected:
    void SetUp() override {
        app.form1().Show();
        window = topLevel(QStringLiteral("Form1"));
        ASSERT_NE(window, nullptr);
        edit = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
        area = window->findChild<QWidget*>(QStringLiteral("WebBrowser1"));
        ASSERT_TRUE(edit && area);
        window->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == window);
    }
    void TearDown() override {
        if (app.form1().isLoaded())
            app.form1().Unload();
        QTest::qWait(0);
    }

    QAction* action(const char* name) { return window->findChild<QAction*>(QLatin1String(name)); }
    QWidget* view() { return engineView(area); }
    // Types an address and presses Enter, then waits for the page to load.
    void open(const QString& address) {
        edit->setText(address);
        QTest::keyClick(edit, Qt::Key_Return);
        ASSERT_NE(view(), nullptr);
        ASSERT_TRUE(waitForLoad(view()));
        // Without a window manager (Xvfb) the window can lose activation while the page loads.
        window->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == window);
    }

    RecordingQtPlatform platform;
    Application app{platform};
    QWidget* window = nullptr;
    QLineEdit* edit = nullptr;
    QWidget* area = nullptr;
    QTemporaryDir dir;
};

QRect twipsRect(double l, double t, double w, double h) {
    return QRect(Twips::toPixels(l), Twips::toPixels(t), Twips::toPixels(w), Twips::toPixels(h));
}

TEST_F(QtForm1, IsBuiltAsDesignedWithTheFocusInTheAddressBox) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Velcaro"));
    auto* label = window->findChild<QLabel*>(QStringLiteral("Label1"));
    EXPECT_EQ(label->text(), QStringLiteral("Sito Internet:"));
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << "the whole caption is shown";
    EXPECT_LT(label->geometry().right(), edit->x());
    EXPECT_EQ(edit->text(), Form1::defaultAddress());
    EXPECT_EQ(edit->geometry(), twipsRect(1185, 0, 6225, 285));
    auto* go = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    auto* browse = window->findChild<QPushButton*>(QStringLiteral("Command2"));
    EXPECT_EQ(go->text(), QStringLiteral("GO"));
    EXPECT_EQ(go->geometry(), twipsRect(8400, 30, 600, 270));
    EXPECT_EQ(browse->text(), QStringLiteral("..."));
    EXPECT_EQ(browse->geometry(), twipsRect(7485, 15, 600, 270));
    EXPECT_EQ(QApplication::focusWidget(), edit);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), go) << "tab order: address, GO, browse";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), browse);

    EXPECT_FALSE(area->isVisible());
    EXPECT_EQ(view(), nullptr) << "no web engine before a page is asked for";
    EXPECT_EQ(
        area->geometry(),
        QRect(0, Twips::toPixels(385), static_cast<QMainWindow*>(window)->centralWidget()->width(),
              static_cast<QMainWindow*>(window)->centralWidget()->height() - Twips::toPixels(385)))
        << "the hidden browser is already fitted below the address row";

    QMenu* file = window->findChild<QMenu*>(QStringLiteral("mnuFile"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->title(), QStringLiteral("&File"));
    QStringList captions, shortcuts;
    for (QAction* a : file->actions()) {
        captions << a->text();
        shortcuts << a->shortcut().toString(QKeySequence::PortableText);
    }
    EXPECT_EQ(captions, (QStringList{"&Print", "Print Preview...", "Copia testo Pag.Html",
                                     "Copia testo principale", "E&xit"}));
    EXPECT_EQ(shortcuts, (QStringList{"Ctrl+P", "Ctrl+R", "Ctrl+C", "Ctrl+Shift+C", ""}));
}

TEST_F(QtForm1, MenuShortcutsWinOverTheAddressBoxsOwnKeys) {
    QApplication::clipboard()->setText(QStringLiteral("prima"));
    edit->selectAll();
    QSignalSpy capture(action("mnuCopia_Testo"), &QAction::triggered);
    QSignalSpy mainText(action("mnuCopia_Testo_Principale"), &QAction::triggered);
    QSignalSpy print(action("mnuFilePrint"), &QAction::triggered);
    QSignalSpy preview(action("mnuFilePrintPreview"), &QAction::triggered);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(edit, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(edit, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(capture.count(), 1);
    EXPECT_EQ(mainText.count(), 1);
    EXPECT_EQ(print.count(), 1);
    EXPECT_EQ(preview.count(), 1);
    EXPECT_NE(QApplication::clipboard()->text(), edit->text())
        << "Ctrl+C did not copy the address box's selection";
    EXPECT_TRUE(
        platform.messages.prompts.contains(QStringLiteral("Non trovo nessun testo copiato !!!")))
        << "with no page shown the capture finds nothing";

    auto* go = window->findChild<QPushButton*>(QStringLiteral("Command1"));
    go->setFocus();
    QTest::keyClick(go, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(print.count(), 2) << "also while a button has the focus";
}

TEST_F(QtForm1, PrintAndPreviewWithoutAPageReportTheErrorAndGoOn) {
    action("mnuFilePrint")->trigger();
    action("mnuFilePrintPreview")->trigger();
    ASSERT_EQ(platform.messages.prompts.size(), 2);
    EXPECT_TRUE(platform.messages.prompts[0].startsWith(QStringLiteral("Errore 1001:")));
    EXPECT_TRUE(platform.messages.prompts[0].contains(QStringLiteral("Nessuna pagina")));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(platform.quits, 0);
}

TEST_F(QtForm1, EnterShowsALocalPageWhosePathHasSpacesAndAccents) {
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("cartella con spazi à")));
    const QString path = dir.path() + QStringLiteral("/cartella con spazi à/pàgina è 日本.html");
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("<html><head><title>Caffè 日本</title></head><body>ok</body></html>")
                .toUtf8());
    f.close();

    open(QStringLiteral("  ") + path + QStringLiteral("  "));
    EXPECT_EQ(view()->property("title").toString(), QStringLiteral("Caffè 日本"));
    EXPECT_EQ(view()->property("url").toUrl(), QUrl::fromLocalFile(path));
    EXPECT_TRUE(area->isVisible());
    EXPECT_EQ(edit->text(), QStringLiteral("  ") + path + QStringLiteral("  "));
    EXPECT_EQ(area->y(), Twips::toPixels(385));
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
}

TEST_F(QtForm1, BrowseOpensTheDialogOnTheProposedFileAndFillsTheBox) {
    const QString page = dir.filePath(QStringLiteral("scelta è.html"));
    QFile f(page);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    edit->setText(QStringLiteral(" ") + page);

    QString directory, proposed;
    whenDialogAppears<QFileDialog>([&](QFileDialog* dialog) {
        directory = dialog->directory().absolutePath();
        proposed = dialog->selectedFiles().value(0);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(directory, dir.path());
    EXPECT_EQ(proposed, page);
    EXPECT_EQ(edit->text(), page);
    EXPECT_EQ(view(), nullptr) << "choosing a file does not load it";

    whenDialogAppears<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    edit->setText(QStringLiteral("http://esempio.it"));
    window->findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    EXPECT_EQ(edit->text(), QStringLiteral("http://esempio.it")) << "a cancel changes nothing";
}

TEST_F(QtForm1, ExitEndsTheProgram) {
    action("mnuFileExit")->trigger();
    EXPECT_FALSE(app.form1().isLoaded());
    EXPECT_EQ(platform.quits, 1);
}

TEST_F(QtForm1, TheCloseBoxEndsTheProgram) {
    window->close();
    EXPECT_FALSE(app.form1().isLoaded());
    EXPECT_EQ(platform.quits, 1);
}

TEST(Startup, WithoutADisplaySaysSoInOneLineAndFails) {
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(VELCARO_EXE), {});
    ASSERT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 1);
    const QByteArray err = process.readAllStandardError();
    EXPECT_EQ(err.count('\n'), 1) << err.constData();
    EXPECT_TRUE(err.contains("DISPLAY"));
}

} // namespace
