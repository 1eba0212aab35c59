// The Chromium engine on light local pages (one paragraph each), one after the other: each page
// loaded, left 300 ms as the capture's settle leaves it, and copied whole in a session of its
// own, as the capture takes it.
//
// First, where a fresh page's time goes: the engine's steps (its "velcaro.chromium.steps" lines)
// timed from the session's opening, their means over the first kStepPages pages. Then, every
// 250 pages, the mean time of a page and the memory of the browser's processes (their
// proportional memory, PSS, summed over its process group) and of this program, across the
// browser's renewal every ChromiumEngine::kSessionsPerBrowser sessions. The baseline is the
// second 250 pages (the first include the pages taken one at a time for their steps); goals:
// over the pages after it, the browser's memory, the program's and the time of a page grow
// by at most a bounded factor.
//
// bench_chromium [PAGES]   (1,000 by default)

#include "../support/goal.h"
#include "chromium/chromium_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

namespace {

using namespace velcaro;

constexpr int kReportEvery = 250;
constexpr int kStepPages = 100;
constexpr int kSettleMs = 300;
constexpr int kBaselineReport = 2;
constexpr double kBrowserGrowthGoal = 1.3;
constexpr double kProgramGrowthGoal = 1.2;
constexpr double kPaceDriftGoal = 1.2;

// One line of the report: a window of kReportEvery pages.
struct Window {
    double msPerPage = 0;
    double browserMb = 0;
    double programMb = 0;
};

// A page's steps in order: ours ("opened", "copy asked", "copy done") and the engine's.
const char* const kSteps[] = {"opened",     "context", "target", "set up",    "committed", "loaded",
                              "copy asked", "turn",    "copied", "copy done", "disposed"};
// What the time up to each step is called.
const char* const kStepNames[] = {"",         "context",    "target", "set up",
                                  "navigate", "load event", "settle", "copy turn",
                                  "copy",     "copy end",   "dispose"};
constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);

QElapsedTimer stepClock;
// When the page in hand went through each step; "disposed" comes once its session has gone.
QHash<QString, qint64> pageSteps;
std::function<void()> whenDisposed;

void markStep(const QString& step) {
    if (!pageSteps.contains(step))
        pageSteps.insert(step, stepClock.elapsed());
}

void recordStep(QtMsgType, const QMessageLogContext& context, const QString& message) {
    if (qstrcmp(context.category, "velcaro.chromium.steps") != 0)
        return;
    const QString step = message.section(u' ', 1).remove(u'"');
    markStep(step);
    if (step == QLatin1String("disposed") && whenDisposed)
        QTimer::singleShot(0, std::exchange(whenDisposed, nullptr));
}

// The proportional kilobytes of the processes of group `group`, or of process `pid` alone.
long memoryKb(pid_t group, pid_t pid = 0) {
    long total = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t id = entry.toInt(&number);
        if (!number || (pid && id != pid))
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile rollup(QStringLiteral("/proc/%1/smaps_rollup").arg(entry));
        if (!stat.open(QIODevice::ReadOnly) || !rollup.open(QIODevice::ReadOnly))
            continue;
        // The fields after the command's closing parenthesis: state, parent, group.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (!pid && fields.value(2).toInt() != group)
            continue;
        for (const QByteArray& row : rollup.readAll().split('\n'))
            if (row.startsWith("Pss:"))
                total += row.mid(4).trimmed().split(' ').first().toLong();
    }
    return total;
}

class Run {
public:
    Run(int pages, const QString& folder) : pages_(pages), folder_(folder) {}
    void start() {
        engine_.start([this](const QString& failure) {
            if (!failure.isEmpty()) {
                std::fprintf(stderr, "%s\n", qPrintable(failure));
                QCoreApplication::exit(1);
                return;
            }
            std::printf("%s, %d sessions a browser, a settle of %d ms\n",
                        qPrintable(engine_.description()), ChromiumEngine::kSessionsPerBrowser,
                        kSettleMs);
            std::printf("pages  ms/page  load  copy  browser MB  program MB\n");
            clock_.start();
            next();
        });
    }

private:
    void next() {
        if (done_ == pages_) {
            printGoals();
            QCoreApplication::quit();
            return;
        }
        pageSteps.clear();
        markStep(QStringLiteral("opened"));
        session_ = engine_.openSession();
        const QUrl page =
            QUrl::fromLocalFile(QStringLiteral("%1/p%2.html").arg(folder_).arg(done_ % 40));
        QElapsedTimer phase;
        phase.start();
        session_->load(page, 30000, [this, phase](const LoadResult& loaded) {
            loadMs_ += phase.elapsed();
            if (loaded.error != PageError::None)
                ++failed_;
            QTimer::singleShot(kSettleMs, &engine_, [this] { copy(); });
        });
    }
    void copy() {
        markStep(QStringLiteral("copy asked"));
        QElapsedTimer copying;
        copying.start();
        session_->copy(PageSession::Scope::WholePage, false, [this, copying](const PageCopy& c) {
            copyMs_ += copying.elapsed();
            if (c.error != PageError::None)
                ++failed_;
            markStep(QStringLiteral("copy done"));
            ++done_;
            // The first pages one at a time to their disposal, for their steps.
            if (done_ <= kStepPages)
                whenDisposed = [this] {
                    stepsTaken();
                };
            else
                QTimer::singleShot(0, &engine_, [this] { next(); });
            session_.reset();
            if (done_ % kReportEvery == 0)
                report();
        });
    }
    void stepsTaken() {
        for (int i = 1; i < kStepCount; ++i)
            stepSums_[i] += pageSteps.value(QLatin1String(kSteps[i])) -
                            pageSteps.value(QLatin1String(kSteps[i - 1]));
        if (done_ == kStepPages) {
            std::printf("a fresh page, mean of %d (ms):", kStepPages);
            for (int i = 1; i < kStepCount; ++i)
                std::printf(" %s %.1f%s", kStepNames[i], stepSums_[i] / kStepPages,
                            i + 1 < kStepCount ? "," : "\n");
            std::fflush(stdout);
        }
        next();
    }
    void report() {
        const pid_t browser = pid_t(engine_.browserProcessId());
        const Window window{double(clock_.elapsed()) / kReportEvery, memoryKb(browser) / 1024.0,
                            memoryKb(0, getpid()) / 1024.0};
        windows_.push_back(window);
        std::printf("%5d  %7.0f  %4.0f  %4.0f  %10.0f  %10.0f  %d failed%s\n", done_,
                    window.msPerPage, double(loadMs_) / kReportEvery,
                    double(copyMs_) / kReportEvery, window.browserMb, window.programMb, failed_,
                    int(windows_.size()) == kBaselineReport ? "  (baseline)" : "");
        std::fflush(stdout);
        clock_.restart();
        loadMs_ = copyMs_ = 0;
    }
    void printGoals() const {
        if (int(windows_.size()) <= kBaselineReport) {
            std::printf("too few pages for the goals: %d after the baseline's\n",
                        kReportEvery * kBaselineReport);
            return;
        }
        const Window& base = windows_[kBaselineReport - 1];
        Window worst;
        for (auto w = windows_.begin() + kBaselineReport; w != windows_.end(); ++w) {
            worst.msPerPage = std::max(worst.msPerPage, w->msPerPage);
            worst.browserMb = std::max(worst.browserMb, w->browserMb);
            worst.programMb = std::max(worst.programMb, w->programMb);
        }
        using velcaro::bench::Goal;
        Goal{"chromium_browser_memory_growth", worst.browserMb / base.browserMb,
             "<=", kBrowserGrowthGoal, "x"}
            .print();
        Goal{"chromium_program_memory_growth", worst.programMb / base.programMb,
             "<=", kProgramGrowthGoal, "x"}
            .print();
        Goal{"chromium_page_time_drift", worst.msPerPage / base.msPerPage, "<=", kPaceDriftGoal,
             "x"}
            .print();
    }

    ChromiumEngine engine_{QSize(792, 520)};
    std::unique_ptr<PageSession> session_;
    int pages_;
    QString folder_;
    int done_ = 0;
    int failed_ = 0;
    QElapsedTimer clock_;
    qint64 loadMs_ = 0;
    qint64 copyMs_ = 0;
    double stepSums_[kStepCount] = {};
    std::vector<Window> windows_;
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    stepClock.start();
    QLoggingCategory::setFilterRules(QStringLiteral("velcaro.chromium.steps.debug=true"));
    qInstallMessageHandler(recordStep);
    const int pages = argc > 1 ? QByteArray(argv[1]).toInt() : 1000;
    QTemporaryDir folder;
    for (int i = 0; i < 40; ++i) {
        QFile page(folder.filePath(QStringLiteral("p%1.html").arg(i)));
        page.open(QIODevice::WriteOnly);
        page.write(QStringLiteral("<!DOCTYPE html><html lang='it'><head><meta charset='utf-8'>"
                                  "<title>Pagina %1</title></head><body><p>Paragrafo numero %1, "
                                  "con un po' di testo da copiare.</p></body></html>")
                       .arg(i)
                       .toUtf8());
    }
    Run run(pages, folder.path());
    run.start();
    return app.exec();
}
