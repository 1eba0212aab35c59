// The whole capture on the real bindings, offscreen: a local page is loaded, captured with
// Ctrl+C from the address box, shown in the captured-text window and saved.

#include "browser_window/form1.h"
#include "platform/clipboard.h"
#include "qt/qt_clipboard.h"
#include "rtf/rtf_reader.h"
#include "shell/application.h"
#include "support/browser_window_fixture.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QWebEngineView>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

const char kPage[] =
    "<!DOCTYPE html><html><head><meta charset='utf-8'><title>Prova</title></head><body>"
    "<h1>Città e caffè</h1>"
    "<p>Perché <b>così</b> è più <i>facile</i>: 日本語のテキスト, emoji 🙂🚀, "
    "<span dir='rtl'>שלום עולם</span>.</p>"
    "<ul><li>primo punto</li><li>secondo punto</li></ul>"
    "<table border='1'><tr><th>Valuta</th><th>Cambio</th></tr>"
    "<tr><td>Euro €</td><td>1,00</td></tr><tr><td>Yen ¥</td><td>161,5</td></tr></table>"
    "<p>Fine&nbsp;pagina.</p></body></html>";

class QtCapture : public BrowserWindowFixture {
protected:
    void SetUp() override {
        BrowserWindowFixture::SetUp();
        if (HasFatalFailure())
            return;
        page = dir.filePath(QStringLiteral("pagina è.html"));
        QFile f(page);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kPage);
        f.close();
        form1->activateWindow();
        QTRY_VERIFY(QApplication::activeWindow() == form1);
    }

    void openPage() {
        edit->setText(page);
        QTest::keyClick(edit, Qt::Key_Return);
        QWidget* view = engineView(form1);
        ASSERT_NE(view, nullptr);
        ASSERT_TRUE(waitForLoad(view));
        edit->setFocus();
    }
    // Presses a button of the captured-text window, choosing `path` in the save dialog.
    // When the file exists, the dialog's own question whether to replace it is answered yes.
    void saveWith(const char* button, const QString& path) {
        const bool exists = QFile::exists(path);
        whenDialogAppears<QFileDialog>([path, exists](QFileDialog* dialog) {
            if (exists)
                whenDialogAppears<QMessageBox>(
                    [](QMessageBox* question) { question->button(QMessageBox::Yes)->click(); });
            const QFileInfo target(path);
            dialog->setDirectory(target.absolutePath());
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))
                ->setText(target.fileName());
            QMetaObject::invokeMethod(dialog, "accept");
        });
        topLevel(QStringLiteral("Form3"))->findChild<QPushButton*>(QLatin1String(button))->click();
    }
    static QByteArray contentOf(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    QString page;
};

TEST_F(QtCapture, TheWindowHoldsExactlyTheTextTheBrowserCopied) {
    openPage();
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr) << qPrintable(platform.messages.prompts.join("|"));
    const QString copied = QApplication::clipboard()->text();
    EXPECT_EQ(text->toPlainText(), copied);
    for (const char* piece : {"Città e caffè", "日本語のテキスト", "🙂🚀", "שלום עולם",
                              "secondo punto", "Yen ¥", "161,5", "Fine pagina."})
        EXPECT_TRUE(copied.contains(QString::fromUtf8(piece))) << piece;
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
    EXPECT_EQ(edit->text(), page) << "the address box did not take the Ctrl+C";
}

// The same text selected by hand on the page before and captured from the page loaded again:
// the engine reports no change of selection then, and the capture must not wait for one.
TEST_F(QtCapture, TheSamePageLoadedAgainIsCapturedAgain) {
    openPage();
    auto* view = qobject_cast<QWebEngineView*>(engineView(form1));
    view->setFocus();
    view->triggerPageAction(QWebEnginePage::SelectAll);
    QTRY_VERIFY(view->hasSelection());
    const QString first = view->selectedText();
    openPage();
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr) << qPrintable(platform.messages.prompts.join("|"));
    EXPECT_EQ(text->toPlainText().simplified(), first.simplified());
    EXPECT_TRUE(platform.messages.prompts.isEmpty());
}

TEST_F(QtCapture, TheClipboardOffersRtfThatReadsBackAsTheSameText) {
    openPage();
    ASSERT_NE(captureWithKeys(), nullptr);
    QtClipboard clipboard;
    ASSERT_TRUE(clipboard.GetFormat(clipformat::kRtf));
    EXPECT_FALSE(clipboard.GetFormat(clipformat::kRtfAlt));
    EXPECT_FALSE(clipboard.GetFormat(clipformat::kBitmap));
    const QString rtf = clipboard.GetText(clipformat::kRtf);
    ASSERT_TRUE(rtf.startsWith(QStringLiteral("{\\rtf")));
    QTextDocument doc;
    rtf::readRtf(rtf, doc);
    EXPECT_EQ(doc.toPlainText().simplified(), clipboard.GetText(clipformat::kText).simplified());
}

TEST_F(QtCapture, WithoutAPageTheMessageIsShownAndNoWindowOpens) {
    QApplication::clipboard()->setText(QStringLiteral("prima"));
    EXPECT_EQ(captureWithKeys(), nullptr);
    EXPECT_EQ(platform.messages.prompts,
              QStringList{QStringLiteral("Non trovo nessun testo copiato !!!")});
    const QMimeData* left = QApplication::clipboard()->mimeData();
    EXPECT_TRUE(!left || !left->hasText()) << "the clipboard was emptied";
}

TEST_F(QtCapture, TheTypicalUseSavesThePlainTextAndTheRtf) {
    openPage();
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    const QString txt = dir.filePath(QStringLiteral("testo catturato.txt"));
    saveWith("Command2", txt);
    EXPECT_EQ(platform.messages.prompts,
              QStringList{QStringLiteral("Salvato il testo nel file: ") + txt});
    const QByteArray bytes = contentOf(txt);
    EXPECT_EQ(bytes, text->toPlainText().toUtf8());
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF")) << "no byte-order mark";
    EXPECT_FALSE(bytes.contains('\r'));

    const QString rtfPath = dir.filePath(QStringLiteral("testo.rtf"));
    saveWith("Command3", rtfPath);
    EXPECT_EQ(platform.messages.prompts.last(),
              QStringLiteral("Salvato il testo di tipo RTF nel file: ") + rtfPath);
    QTextDocument readBack;
    rtf::readRtf(contentOf(rtfPath), readBack);
    EXPECT_EQ(readBack.toPlainText(), text->toPlainText());

    saveWith("Command2", txt);
    EXPECT_EQ(contentOf(txt), bytes) << "saving again replaces the file";
}

TEST_F(QtCapture, FailedSavesReportTheCauseAndLoseNothing) {
    openPage();
    QTextEdit* text = captureWithKeys();
    ASSERT_NE(text, nullptr);
    const QString captured = text->toPlainText();
    Form3& form3 = app.form3();
    auto saveTo = [&](const QString& path) {
        form3.dispatch([&] { form3.RichTextBox1().SaveFile(path, 1); });
        return platform.messages.prompts.isEmpty() ? QString() : platform.messages.prompts.last();
    };

    const QString missing = dir.filePath(QStringLiteral("manca/testo.txt"));
    EXPECT_TRUE(saveTo(missing).startsWith(QStringLiteral("Errore 76:")));
    EXPECT_TRUE(platform.messages.prompts.last().contains(missing));
    EXPECT_TRUE(saveTo(dir.path()).startsWith(QStringLiteral("Errore 75:")))
        << "a folder in the way";

    // An existing file whose new content cannot be written keeps its old content.
    const QString old = dir.filePath(QStringLiteral("vecchio.txt"));
    QFile f(old);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("contenuto precedente");
    f.close();
    // A file size limit: the test's main, like the program's start-up, leaves SIGXFSZ ignored.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 64;
    setrlimit(RLIMIT_FSIZE, &small);
    const QString full = saveTo(old);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_TRUE(full.startsWith(QStringLiteral("Errore 61:"))) << qPrintable(full);
    EXPECT_EQ(contentOf(old), QByteArray("contenuto precedente"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no partial file left";

    if (geteuid() != 0) {
        const QString locked = dir.filePath(QStringLiteral("sola lettura"));
        ASSERT_TRUE(QDir().mkdir(locked));
        QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_TRUE(
            saveTo(locked + QStringLiteral("/testo.txt")).startsWith(QStringLiteral("Errore 70:")));
    }
    EXPECT_EQ(text->toPlainText(), captured);
    EXPECT_TRUE(topLevel(QStringLiteral("Form3")) != nullptr) << "the window stays open";
}

TEST_F(QtCapture, TheTextWindowIsBuiltAsDesigned) {
    app.form3().Show();
    QWidget* form3 = topLevel(QStringLiteral("Form3"));
    ASSERT_NE(form3, nullptr);
    EXPECT_EQ(form3->windowTitle(), QStringLiteral("Velcaro - Testo della pagina"));
    auto* text = form3->findChild<QTextEdit*>(QStringLiteral("RichTextBox1"));
    EXPECT_EQ(text->toPlainText(), QStringLiteral("RichTextBox1"));
    EXPECT_FALSE(text->isReadOnly());
    QStringList captionsLeftToRight;
    QList<QPushButton*> buttons = form3->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](QPushButton* a, QPushButton* b) { return a->x() < b->x(); });
    for (QPushButton* b : buttons)
        captionsLeftToRight << b->text();
    EXPECT_EQ(captionsLeftToRight,
              (QStringList{"Salva Testo .RTF", "Salva Testo .TXT", "F I N E"}));
    EXPECT_EQ(buttons[0]->geometry().right() + 1, buttons[1]->x()) << "touching";
    form3->activateWindow();
    QTRY_VERIFY(QApplication::activeWindow() == form3);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QStringLiteral("Command1"))
        << "tab order: text, close, TXT save, RTF save";
}

} // namespace
