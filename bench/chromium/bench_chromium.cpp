// The Chromium engine on light local pages (one paragraph each), one after the other: each page
// loaded and copied whole in a session of its own, as the capture takes it. Every 250 pages it
// prints the mean time of a page's load and copy and the resident memory of the browser's
// processes (its process group) and of this program.
//
// bench_chromium [PAGES]   (1,000 by default)

#include "chromium/chromium_engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

using namespace velcaro;

constexpr int kReportEvery = 250;

// The resident kilobytes of the processes of group `group`, or of process `pid` alone.
long residentKb(pid_t group, pid_t pid = 0) {
    long total = 0;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t id = entry.toInt(&number);
        if (!number || (pid && id != pid))
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(entry));
        QFile statm(QStringLiteral("/proc/%1/statm").arg(entry));
        if (!stat.open(QIODevice::ReadOnly) || !statm.open(QIODevice::ReadOnly))
            continue;
        // The fields after the command's closing parenthesis: state, parent, group.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (!pid && fields.value(2).toInt() != group)
            continue;
        total += statm.readAll().split(' ').value(1).toLong() * (sysconf(_SC_PAGESIZE) / 1024);
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
            std::printf("%s, %d sessions a browser\n", qPrintable(engine_.description()),
                        ChromiumEngine::kSessionsPerBrowser);
            std::printf("pages  ms/page  load  copy  browser MB  program MB\n");
            clock_.start();
            next();
        });
    }

private:
    void next() {
        if (done_ == pages_) {
            QCoreApplication::quit();
            return;
        }
        session_ = engine_.openSession();
        const QUrl page =
            QUrl::fromLocalFile(QStringLiteral("%1/p%2.html").arg(folder_).arg(done_ % 40));
        QElapsedTimer phase;
        phase.start();
        session_->load(page, 30000, [this, phase](const LoadResult& loaded) {
            loadMs_ += phase.elapsed();
            if (loaded.error != PageError::None)
                ++failed_;
            QElapsedTimer copying;
            copying.start();
            session_->copy(PageSession::Scope::WholePage, false,
                           [this, copying](const PageCopy& c) {
                               copyMs_ += copying.elapsed();
                               if (c.error != PageError::None)
                                   ++failed_;
                               session_.reset();
                               if (++done_ % kReportEvery == 0)
                                   report();
                               next();
                           });
        });
    }
    void report() {
        const pid_t browser = pid_t(engine_.browserProcessId());
        std::printf("%5d  %7.0f  %4.0f  %4.0f  %10.0f  %10.0f  %d failed\n", done_,
                    double(clock_.elapsed()) / kReportEvery, double(loadMs_) / kReportEvery,
                    double(copyMs_) / kReportEvery, residentKb(browser) / 1024.0,
                    residentKb(0, getpid()) / 1024.0, failed_);
        std::fflush(stdout);
        clock_.restart();
        loadMs_ = copyMs_ = 0;
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
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
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
