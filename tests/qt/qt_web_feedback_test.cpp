// What the user sees of the browser while it works, offscreen: the progress line of a slow
// load, the wait cursor of a copy, and the page's right-click menu in Italian.

#include "platform/velcaro_error.h"
#include "qt/qt_rich_text_box.h"
#include "qt/qt_web_browser.h"
#include "support/qt_helpers.h"

#include <QFile>
#include <QGuiApplication>
#include <QMenu>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextEdit>
#include <gtest/gtest.h>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

// An HTTP server on 127.0.0.1 that answers every request only after `delayMs`.
class SlowServer {
public:
    explicit SlowServer(int delayMs) : delayMs_(delayMs) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }
    QString url(const char* path) const {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    int requests = 0;
    int answers = 0;

private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                if (!socket->readAll().contains("\r\n\r\n") || socket->property("seen").toBool())
                    return;
                socket->setProperty("seen", true);
                ++requests;
                QTimer::singleShot(delayMs_, socket, [this, socket] { answer(socket); });
            });
        }
    }
    void answer(QTcpSocket* socket) {
        const QByteArray body = "<html><body><p>Pagina lenta</p></body></html>";
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n"
                      "Content-Length: " +
                      QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
        ++answers;
    }

    QTcpServer server_;
    int delayMs_;
};

class QtWebFeedback : public ::testing::Test {
protected:
    void SetUp() override {
        host.resize(800, 600);
        browser.Move(0, 0, 800 * 15, 600 * 15);
        browser.setVisible(true);
        host.show();
    }
    QWidget* progressLine() const {
        return browser.area()->findChild<QWidget*>(QStringLiteral("ProgressLine"));
    }
    QWidget* view() const { return engineView(browser.area()); }

    QWidget host;
    QtWebBrowser browser{&host};
};

TEST_F(QtWebFeedback, AThinLineAlongTheTopEdgeWhileASlowPageLoadsGoneAfterIt) {
    SlowServer server(2000);
    browser.Navigate(server.url("/lenta"));
    ASSERT_NE(view(), nullptr);
    QSignalSpy finished(view(), SIGNAL(loadFinished(bool)));
    QTRY_VERIFY_WITH_TIMEOUT(progressLine() && progressLine()->isVisible(), 15000);
    EXPECT_EQ(server.answers, 0) << "the line must show while the answer is awaited";
    const QRect line = progressLine()->geometry();
    EXPECT_EQ(line.top(), 0);
    EXPECT_LE(line.height(), 4);
    EXPECT_GT(line.width(), 0);
    EXPECT_LE(line.width(), browser.area()->width());
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(finished.first().first().toBool());
    EXPECT_EQ(server.answers, 1);
    EXPECT_FALSE(progressLine()->isVisible());
    // The page keeps its whole area: the line lies over it.
    EXPECT_EQ(view()->geometry(), browser.area()->rect());
}

TEST_F(QtWebFeedback, TheLineIsGoneAfterAFailedLoadToo) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
    const quint16 port = closed.serverPort();
    closed.close();
    browser.Navigate(QStringLiteral("http://127.0.0.1:%1/").arg(port));
    QSignalSpy finished(view(), SIGNAL(loadFinished(bool)));
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_FALSE(finished.first().first().toBool());
    ASSERT_NE(progressLine(), nullptr);
    EXPECT_FALSE(progressLine()->isVisible());
}

TEST_F(QtWebFeedback, ACopyShowsTheWaitCursorAndRestoresItAlsoOnFailure) {
    EXPECT_THROW(browser.ExecWB(olecmd::kCopy, olecmd::kDontPromptUser), VelcaroError);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("p.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body><p>Testo da copiare</p></body></html>");
    page.close();
    browser.Navigate(page.fileName());
    ASSERT_TRUE(waitForLoad(view()));
    browser.ExecWB(olecmd::kSelectAll, olecmd::kDontPromptUser);
    bool waitCursorSeen = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&waitCursorSeen] {
        const QCursor* cursor = QGuiApplication::overrideCursor();
        waitCursorSeen = waitCursorSeen || (cursor && cursor->shape() == Qt::WaitCursor);
    });
    probe.start(0);
    browser.ExecWB(olecmd::kCopy, olecmd::kDontPromptUser);
    probe.stop();
    EXPECT_TRUE(waitCursorSeen);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST(QtRichTextBoxCursor, AFailedSaveLeavesNoWaitCursorBehind) {
    QTextEdit edit;
    QtRichTextBox box(&edit, {0, 0, 1500, 1500});
    box.setText(QStringLiteral("testo"));
    EXPECT_THROW(box.SaveFile(QStringLiteral("/no/such/folder/TESTO.TXT"), RichTextBox::rtfText),
                 VelcaroError);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(QtWebFeedback, TheRightClickMenuOfALinkIsInItalianWithoutUselessActions) {
    QTemporaryDir dir;
    QFile page(dir.filePath(QStringLiteral("link.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<html><body style='margin:0'><a href='https://example.org/' "
               "style='display:block;font-size:80px;width:700px;height:200px'>collegamento</a>"
               "</body></html>");
    page.close();
    browser.Navigate(page.fileName());
    ASSERT_TRUE(waitForLoad(view()));
    QWidget* target = view()->focusProxy() ? view()->focusProxy() : view();
    QTest::mouseClick(target, Qt::RightButton, {}, QPoint(100, 60));
    QMenu* menu = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT(
        [&menu] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* m = qobject_cast<QMenu*>(w); m && m->isVisible())
                    menu = m;
            return menu != nullptr;
        }(),
        15000);
    QStringList captions;
    for (QAction* action : menu->actions())
        if (!action->isSeparator())
            captions << action->text();
    menu->close();
    // The engine's link menu, less "open in a new tab / window", "save link", "view source"
    // and "inspect", which have nothing to act on here.
    EXPECT_EQ(captions, (QStringList{QStringLiteral("Indietro"), QStringLiteral("Avanti"),
                                     QStringLiteral("Ricarica"),
                                     QStringLiteral("Copia l'indirizzo del collegamento")}))
        << qPrintable(captions.join(u'|'));
}

} // namespace
