// The capture command ("Copia testo Pag.Html") on a generated 5 MB page against the fastest
// way the engine gives the same clipboard (select all, copy, wait for the clipboard),
// measured alternately in the same run; then the TXT and RTF saves of the
// captured text. One goal: the capture takes at most 1.25 times the engine's copy.
#include "../support/offscreen_engine.h"
#include "browser_window/form1.h"
#include "capture_page.h"
#include "platform/rich_text_box.h"
#include "platform/text_box.h"
#include "shell/application.h"
#include "support/qt_helpers.h"
#include "text_window/form3.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <stdexcept>
#include <vector>

using namespace velcaro;

namespace {

constexpr int kRuns = 5;
constexpr int kSaveRuns = 3;
constexpr double kGoal = 1.25;
constexpr int kLoadTimeoutMs = 10 * 60 * 1000;
constexpr int kCopyTimeoutMs = 2 * 60 * 1000;

struct MeasureError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void require(bool ok, const char* what) {
    if (!ok)
        throw MeasureError(what);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void printTimes(const char* what, const std::vector<double>& v) {
    const auto [min, max] = std::minmax_element(v.begin(), v.end());
    std::printf("%s: median %.0f ms (min %.0f, max %.0f)\n", what, median(v) * 1e3, *min * 1e3,
                *max * 1e3);
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1e9;
}

// Runs a nested event loop until `done` after a signal of `sender`, or the time is up.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, const std::function<bool()>& done, int timeoutMs) {
    QEventLoop loop;
    bool ok = false;
    QObject::connect(sender, signal, &loop, [&] {
        if ((ok = done()))
            loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return ok;
}

// The user presses Ctrl+C in the browser window, so it is the active window; the engine is
// given a second to take the focus, which otherwise is billed to the run after a capture
// (the capture leaves the captured-text window active).
void activate(QWidget* window) {
    window->activateWindow();
    require(QTest::qWaitFor([&] { return QApplication::activeWindow() == window; }, 10000),
            "the browser window does not become active");
    QTest::qWait(1000);
}

// What the engine's copy of the page leaves in the clipboard: its text and its HTML.
bool holdsPageCopy(const QMimeData* data) {
    return data && data->hasText() && data->hasHtml();
}

// When the steps of one timed run ended, in seconds from its start (0 for a step not seen).
struct Steps {
    double selected = 0; // the page's first selectionChanged with a selection
    double copied = 0;   // the clipboard's first change to the page's copy: the engine's
    double offered = 0;  // its second: the capture's RTF offer, which replaces the engine's
    double done = 0;
    double layout = 0; // after the run: the seconds the text area's layout took to finish
};

// Times `work`, noting when the page of `view` was selected and the clipboard changed.
Steps timedSteps(QWebEngineView* view, const std::function<void()>& work) {
    Steps steps;
    QElapsedTimer timer;
    const auto now = [&] {
        return timer.nsecsElapsed() / 1e9;
    };
    const QMetaObject::Connection selection =
        QObject::connect(view->page(), &QWebEnginePage::selectionChanged, [&] {
            if (steps.selected == 0 && view->hasSelection())
                steps.selected = now();
        });
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QMetaObject::Connection copy = QObject::connect(clipboard, &QClipboard::dataChanged, [&] {
        if (!holdsPageCopy(clipboard->mimeData()))
            return;
        if (steps.copied == 0)
            steps.copied = now();
        else if (steps.offered == 0)
            steps.offered = now();
    });
    timer.start();
    work();
    steps.done = now();
    QObject::disconnect(selection);
    QObject::disconnect(copy);
    return steps;
}

// The times of one step over `runs`.
std::vector<double> stepTimes(const std::vector<Steps>& runs, double Steps::*step) {
    std::vector<double> times;
    for (const Steps& r : runs)
        times.push_back(r.*step);
    return times;
}

// The medians of each step over `runs`, in milliseconds from the start.
void printSteps(const char* what, const std::vector<Steps>& runs, bool capture) {
    const auto ms = [&](double Steps::*step) {
        return median(stepTimes(runs, step)) * 1e3;
    };
    std::printf("%s, medians from the start: selected %.0f ms, engine's copy in the clipboard "
                "%.0f ms",
                what, ms(&Steps::selected), ms(&Steps::copied));
    if (capture)
        std::printf(", RTF offer in the clipboard %.0f ms", ms(&Steps::offered));
    std::printf(", done %.0f ms\n", ms(&Steps::done));
    if (capture)
        std::printf("after the capture, the text area's layout finished at once: median %.0f ms\n",
                    ms(&Steps::layout));
}

class CaptureBench {
public:
    CaptureBench() : app_(platform_) {}
    int run();

private:
    void openPage();
    Steps captureOnce();
    Steps copyOnce();
    double settle();
    double setTextAlone();
    void printSave(int type);

    testing::RecordingQtPlatform platform_;
    Application app_;
    QTemporaryDir dir_;
    qsizetype pageBytes_ = 0;
    QWidget* form1_ = nullptr;
    QWebEngineView* view_ = nullptr;
    QTextEdit* text_ = nullptr;
    qsizetype textLength_ = 0;
};

void CaptureBench::openPage() {
    require(dir_.isValid(), "no temporary folder");
    const QString path = dir_.filePath(QStringLiteral("pagina.html"));
    QFile file(path);
    const QByteArray page = bench::makeCapturePage(20000, 500, 5'000'000);
    require(file.open(QIODevice::WriteOnly) && file.write(page) == page.size(),
            "cannot write the page");
    file.close();
    pageBytes_ = page.size();

    app_.form1().Show();
    form1_ = testing::topLevel(QStringLiteral("Form1"));
    require(form1_, "Form1 is not shown");
    app_.form1().Text1().setText(path);
    app_.form1().Command1_Click();
    view_ = form1_->findChild<QWebEngineView*>();
    require(view_, "no web view in Form1");
    bool ok = false;
    const double load = seconds([&] {
        ok = waitFor(
            view_, &QWebEngineView::loadFinished, [] { return true; }, kLoadTimeoutMs);
    });
    require(ok, "the page did not load");
    std::printf("page: %.2f MB of HTML, 20000 paragraphs and a 500-row table, loaded in %.1f s\n",
                pageBytes_ / 1e6, load);
}

// Lets what a run left behind finish before the next run starts, so it is not billed to it,
// and returns the seconds the text area's layout took. The text area lays out a text this
// long in steps on the event loop, which the engine's browser side shares, for seconds after
// the text is set: here the layout is finished at once. The engine's unselect comes back as
// a selectionChanged only once the page is unselected, up to a second on this page.
double CaptureBench::settle() {
    const double layout = text_ ? seconds([&] { text_->document()->size(); }) : 0;
    require(QTest::qWaitFor([&] { return !view_->hasSelection(); }, 60000),
            "the page stays selected");
    return layout;
}

Steps CaptureBench::captureOnce() {
    activate(form1_);
    Steps steps = timedSteps(view_, [&] { app_.form1().mnuCopia_Testo_Click(); });
    if (!platform_.messages.prompts.isEmpty())
        throw MeasureError(QStringLiteral("the capture showed a message after %1 ms (page "
                                          "selected at %2 ms, copied at %3 ms; 0: not seen): %4")
                               .arg(qRound(steps.done * 1e3))
                               .arg(qRound(steps.selected * 1e3))
                               .arg(qRound(steps.copied * 1e3))
                               .arg(platform_.messages.prompts.join(QStringLiteral(" | ")))
                               .toStdString());
    require(steps.selected > 0 && steps.copied > 0 && steps.offered > 0,
            "the capture's selection, copy or RTF offer was not seen");
    QWidget* form3 = testing::topLevel(QStringLiteral("Form3"));
    text_ = form3 ? form3->findChild<QTextEdit*>(QStringLiteral("RichTextBox1")) : nullptr;
    require(text_, "the captured-text window is not shown");
    const QString captured = text_->toPlainText();
    if (textLength_ == 0) {
        require(captured.toUtf8().size() > pageBytes_ / 2 &&
                    captured.contains(QStringLiteral("Fine pagina.")),
                "the captured text is not the whole page");
        textLength_ = captured.size();
        std::printf("captured text: %.2f MB (%lld characters)\n", captured.toUtf8().size() / 1e6,
                    static_cast<long long>(textLength_));
    }
    require(captured.size() == textLength_, "a capture holds a different text");
    steps.layout = settle();
    return steps;
}

// The fastest way the engine gives the clipboard the capture reads: select all, copy (it
// follows the select-all on the same channel to the page), wait until the clipboard holds the
// page's text and HTML.
Steps CaptureBench::copyOnce() {
    activate(form1_);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    view_->setFocus(Qt::OtherFocusReason);
    bool copied = false;
    const Steps steps = timedSteps(view_, [&] {
        view_->triggerPageAction(QWebEnginePage::SelectAll);
        view_->triggerPageAction(QWebEnginePage::Copy);
        copied = waitFor(
            clipboard, &QClipboard::dataChanged,
            [&] { return holdsPageCopy(clipboard->mimeData()); }, kCopyTimeoutMs);
    });
    view_->triggerPageAction(QWebEnginePage::Unselect);
    require(steps.selected > 0, "the page was not selected");
    require(copied, "the copy did not reach the clipboard");
    require(clipboard->text().size() == textLength_, "the copy holds a different text");
    settle();
    return steps;
}

// What the capture adds to the copy, for the reader of the figures: the captured text set
// again into RichTextBox1 (a QTextEdit::setPlainText), until it holds it.
double CaptureBench::setTextAlone() {
    const QString captured = text_->toPlainText();
    std::vector<double> times;
    for (int i = 0; i < kSaveRuns; ++i) {
        times.push_back(seconds([&] { app_.form3().RichTextBox1().setText(captured); }));
        settle();
    }
    return median(times);
}

void CaptureBench::printSave(int type) {
    const QString path = dir_.filePath(type == RichTextBox::rtfRTF ? "testo.rtf" : "testo.txt");
    std::vector<double> rates;
    for (int i = 0; i < kSaveRuns; ++i) {
        const double s = seconds([&] { app_.form3().RichTextBox1().SaveFile(path, type); });
        rates.push_back(QFileInfo(path).size() / 1e6 / s);
    }
    std::printf("save %s: %.2f MB file, median %.1f MB/s\n",
                type == RichTextBox::rtfRTF ? "RTF" : "TXT", QFileInfo(path).size() / 1e6,
                median(rates));
}

int CaptureBench::run() {
    openPage();
    captureOnce();
    const QString captured = QGuiApplication::clipboard()->text();
    copyOnce();
    require(QGuiApplication::clipboard()->text() == captured,
            "the engine's copy is not the text the capture copied");
    std::vector<Steps> capture, copy;
    for (int i = 0; i < kRuns; ++i) {
        capture.push_back(captureOnce());
        copy.push_back(copyOnce());
    }
    const std::vector<double> captureTimes = stepTimes(capture, &Steps::done);
    const std::vector<double> copyTimes = stepTimes(copy, &Steps::done);
    const double ratio = median(captureTimes) / median(copyTimes);
    printTimes("capture (command until RichTextBox1 holds the text)", captureTimes);
    printTimes("engine's copy (select all, selection, copy, clipboard)", copyTimes);
    std::printf("ratio capture/copy: %.2f\n", ratio);
    printSteps("capture steps", capture, true);
    printSteps("engine's copy steps", copy, false);
    std::printf("of the capture, RichTextBox1.setText alone: median %.0f ms\n",
                setTextAlone() * 1e3);
    printSave(RichTextBox::rtfText);
    printSave(RichTextBox::rtfRTF);
    std::printf("goal capture_vs_copy: %.2f (target <= %.2f) %s\n", ratio, kGoal,
                ratio <= kGoal ? "PASS" : "FAIL");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    bench::prepareOffscreenEngine();
    QApplication qapp(argc, argv);
    try {
        return CaptureBench().run();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bench_capture: measurement error: %s\n", e.what());
        return 1;
    }
}
