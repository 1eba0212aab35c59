// Loads pages in the browser window as a user does, in this process, with the engine's flags
// from the environment: for each address of the list (one a line) the address in Text1 and
// GO, the time until the page has loaded, then "Copia testo Pag.Html" and the captured text
// saved as "Salva Testo .TXT" saves it, into OUTPUT/N.txt (N from 0, in the list's order).
// Prints one line a page: "N MILLISECONDS TITLE", -1 for a page that did not load in 60 s.
//   engine_load_probe LIST OUTPUT
#include "../support/offscreen_engine.h"
#include "browser_window/form1.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "shell/application.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSignalSpy>
#include <QTimer>
#include <cstdio>

using namespace velcaro;

namespace {

constexpr int kLoadTimeoutMs = 60 * 1000;

// Milliseconds until the view's next loadFinished, -1 when it did not come or failed.
qint64 waitForLoad(QWidget* view, const QElapsedTimer& clock) {
    QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
    QEventLoop loop;
    QObject::connect(view, SIGNAL(loadFinished(bool)), &loop, SLOT(quit()));
    QTimer::singleShot(kLoadTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return !loaded.isEmpty() && loaded.first().first().toBool() ? clock.elapsed() : -1;
}

} // namespace

int main(int argc, char** argv) {
    bench::prepareOffscreenEngine();
    QApplication qapp(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: engine_load_probe LIST OUTPUT\n");
        return 2;
    }
    QFile list(QString::fromLocal8Bit(argv[1]));
    if (!list.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "engine_load_probe: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir output(QString::fromLocal8Bit(argv[2]));
    QDir().mkpath(output.path());

    testing::RecordingQtPlatform platform;
    Application app(platform);
    app.form1().Show();
    QWidget* form1 = testing::topLevel(QStringLiteral("Form1"));
    QWidget* view = nullptr;
    int index = 0;
    for (const QByteArray& line : list.readAll().split('\n')) {
        const QString address = QString::fromUtf8(line).trimmed();
        if (address.isEmpty())
            continue;
        form1->activateWindow();
        app.form1().Text1().setText(address);
        QElapsedTimer clock;
        clock.start();
        app.form1().Command1_Click();
        if (!view)
            view = testing::engineView(form1);
        const qint64 ms = view ? waitForLoad(view, clock) : -1;
        if (ms >= 0) {
            app.form1().mnuCopia_Testo_Click();
            if (platform.messages.prompts.isEmpty())
                app.form3().RichTextBox1().SaveFile(
                    output.filePath(QString::number(index) + QStringLiteral(".txt")),
                    RichTextBox::rtfText);
            platform.messages.prompts.clear();
        }
        std::printf("%d %lld %s\n", index, static_cast<long long>(ms),
                    view ? qPrintable(view->property("title").toString()) : "");
        std::fflush(stdout);
        ++index;
    }
    return 0;
}
