// One print measurement in a process of its own: loads a page in the browser window, then
// times one job and reports the growth of the process's peak resident memory during it.
//   print_probe baseline PAGE   the engine's printToPdf of the page into memory
//   print_probe preview PAGE    Print Preview until its first page is on screen
//   print_probe pdf PAGE OUT    Print to a PDF file
// Prints "seconds=S peak_growth_mb=M pages=N" on success.
#include "../support/offscreen_engine.h"
#include "browser_window/form1.h"
#include "shell/application.h"
#include "support/qt_helpers.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfView>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>
#include <QWebEngineView>
#include <cstdio>
#include <functional>

using namespace velcaro;
using namespace velcaro::testing;

namespace {

long statusKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return -1;
}

// Starts a new peak: the page load's own peak is not the job's.
void resetPeak() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    if (refs.open(QIODevice::WriteOnly))
        refs.write("5");
}

QAction* menuItem(QWidget* window, const char* name) {
    return window->findChild<QAction*>(QLatin1String(name));
}

// Runs the event loop until `done`, checked every 10 ms. QTest::qWaitFor sleeps between
// rounds of events, which slows the engine, whose work comes through the event loop.
bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    poll.start(10);
    loop.exec();
    return done();
}

// Whether the view shows a rendered page: black text on the white page.
bool showsText(QPdfView* view) {
    const QImage image = view->viewport()->grab().toImage();
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            if (qGray(image.pixel(x, y)) < 80)
                return true;
    return false;
}

// Seconds until the preview's first page has been rendered and painted; its page count.
std::pair<double, int> timePreview(QWidget* window) {
    QElapsedTimer clock;
    double shownAfter = -1;
    int pages = 0;
    whenWindowAppears(
        QStringLiteral("PrintPreview"),
        [&](QWidget* preview) {
            auto* view = preview->findChild<QPdfView*>();
            if (waitUntil([view] { return showsText(view); }, 600000))
                shownAfter = clock.nsecsElapsed() / 1e9;
            pages = view->document()->pageCount();
            preview->close();
        },
        600000);
    clock.start();
    menuItem(window, "mnuFilePrintPreview")->trigger();
    return {shownAfter, pages};
}

double timePdfFile(QWidget* window, const QString& out) {
    whenDialogAppears<QPrintDialog>(
        [out](QPrintDialog* dialog) {
            dialog->printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog->printer()->setOutputFileName(out);
            dialog->done(QDialog::Accepted);
        },
        600000);
    QElapsedTimer clock;
    clock.start();
    menuItem(window, "mnuFilePrint")->trigger();
    return clock.nsecsElapsed() / 1e9;
}

// The engine alone, with the page layout the preview uses.
std::pair<double, int> timeEngine(QWebEngineView* view) {
    QByteArray pdf;
    bool done = false;
    QElapsedTimer clock;
    clock.start();
    view->page()->printToPdf(
        [&](const QByteArray& bytes) {
            pdf = bytes;
            done = true;
        },
        QPrinter().pageLayout());
    if (!waitUntil([&] { return done; }, 600000))
        return {-1, 0};
    const double seconds = clock.nsecsElapsed() / 1e9;
    QBuffer buffer(&pdf);
    buffer.open(QIODevice::ReadOnly);
    QPdfDocument document;
    document.load(&buffer);
    return {seconds, document.pageCount()};
}

int run(const QString& mode, const QString& page, const QString& out) {
    RecordingQtPlatform platform;
    Application app(platform);
    app.form1().Show();
    QWidget* window = topLevel(QStringLiteral("Form1"));
    auto* edit = window->findChild<QLineEdit*>(QStringLiteral("Text1"));
    edit->setText(page);
    QTest::keyClick(edit, Qt::Key_Return);
    auto* view = qobject_cast<QWebEngineView*>(engineView(window));
    if (!view || !waitForLoad(view, 600000)) {
        std::fprintf(stderr, "print_probe: the page did not load\n");
        return 1;
    }
    QTest::qWait(200);

    const long before = statusKb("VmRSS:");
    resetPeak();
    double seconds = -1;
    int pages = 0;
    if (mode == QLatin1String("baseline")) {
        std::tie(seconds, pages) = timeEngine(view);
    } else if (mode == QLatin1String("preview")) {
        std::tie(seconds, pages) = timePreview(window);
    } else {
        seconds = timePdfFile(window, out);
        QPdfDocument written;
        written.load(out);
        pages = written.pageCount();
    }
    const long peak = statusKb("VmHWM:");
    if (!platform.messages.prompts.isEmpty() || seconds < 0 || pages < 1) {
        std::fprintf(stderr, "print_probe: %s failed: %s\n", qPrintable(mode),
                     qPrintable(platform.messages.prompts.join(QLatin1Char('|'))));
        return 1;
    }
    std::printf("seconds=%.3f peak_growth_mb=%.1f pages=%d\n", seconds, (peak - before) / 1024.0,
                pages);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: print_probe baseline|preview|pdf PAGE [OUT]\n");
        return 2;
    }
    velcaro::bench::prepareOffscreenEngine();
    QApplication qapp(argc, argv);
    return run(QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2]),
               argc > 3 ? QString::fromLocal8Bit(argv[3]) : QString());
}
