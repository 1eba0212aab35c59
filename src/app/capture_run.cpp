#include "app/capture_run.h"

#include "app/app_record.h"
#include "app/capture_engines.h"
#include "app/command_line.h"
#include "app/engine_setup.h"
#include "app/qt_arguments.h"
#include "app/qt_capture_platform.h"
#include "app/signal_notifier.h"
#include "batch_capture/batch_capture.h"
#include "platform/std_console.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace velcaro {
namespace {

// The options' addresses with "-" replaced by the list on standard input.
QStringList expandList(const QStringList& addresses) {
    QStringList expanded;
    for (const QString& address : addresses) {
        if (address != QLatin1String("-")) {
            expanded << address;
            continue;
        }
        QFile in;
        if (in.open(stdin, QIODevice::ReadOnly))
            expanded << readAddressList(in.readAll());
    }
    return expanded;
}

bool pageMessagesShown = false;
// Where the run's report goes: standard error, or its copy when the engine's own writes to
// standard error are dropped.
std::FILE* report = stderr;

// Standard error carries the run's report: Qt's and the engine's warnings stay out of it, and
// the pages' console messages (the engine's "js" category) unless asked for with --verbose;
// critical messages get through. A page's message loses its control characters.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (qstrcmp(context.category, "js") == 0) {
        if (!pageMessagesShown)
            return;
        std::fprintf(report, "velcaro: console della pagina: %s\n",
                     qUtf8Printable(printable(message).remove(u'\n')));
    } else if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(report, "%s\n", qUtf8Printable(message));
    }
}

// The engine's processes write their own lines straight to standard error (V8's report of a
// page out of memory, the zygote's errors), past any message handler: the report moves to a
// copy of standard error, and standard error itself, which those processes inherit, to
// /dev/null. Standard error as it was when anything fails.
std::FILE* reportApartFromTheEngine() {
    const int copy = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    std::FILE* stream = copy >= 0 && null >= 0 ? ::fdopen(copy, "w") : nullptr;
    if (!stream || ::dup2(null, STDERR_FILENO) < 0) {
        if (stream)
            std::fclose(stream);
        else if (copy >= 0)
            ::close(copy);
        stream = stderr;
    }
    if (null >= 0)
        ::close(null);
    return stream;
}

} // namespace

int runCapture(CaptureOptions options, char* program) {
    options.addresses = expandList(options.addresses);
    // The offscreen platform needs no display and keeps a clipboard of the program's own: the
    // user's clipboard is never touched.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    ignoreFileSizeSignal();
    // Told only when the window's engine is the one that runs.
    const QString qtNote = prepareWebEngineEnvironment();
    // A closed standard output (a reader that stopped, as head does) fails the write with
    // EPIPE, which the run reports, instead of ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    pageMessagesShown = options.verbose;
    if (!options.verbose)
        report = reportApartFromTheEngine();
    // The engine logs a page's log and info messages below its category's threshold.
    if (pageMessagesShown)
        QLoggingCategory::setFilterRules(QStringLiteral("js.debug=true\njs.info=true"));
    qInstallMessageHandler(keepOnlyCriticalMessages);
    QtArguments qtArguments(program);
    QApplication qapp(qtArguments.argc(), qtArguments.argv());
    QApplication::setApplicationName(AppRecord::windowTitle());
    QApplication::setApplicationVersion(AppRecord::version());
    QApplication::setQuitOnLastWindowClosed(false);

    QString problem;
    QString notice;
    std::unique_ptr<CaptureEngine> engine =
        captureEngine(options.engine, qtNote, &problem, &notice);
    if (!engine) {
        std::fprintf(report, "velcaro: %s\n", qUtf8Printable(problem));
        return capture_exit::kSomeFailed;
    }
    if (!notice.isEmpty())
        std::fprintf(report, "%s\n", qUtf8Printable(notice));
    QtCapturePlatform platform(std::move(engine), report);
    BatchCapture run(platform, std::move(options));
    // SIGINT and SIGTERM stop the run as BatchCapture::stop does, with the shell's code for
    // the signal (130, 143).
    const SignalNotifier stopper({SIGINT, SIGTERM}, [&run](int number) { run.stop(128 + number); });
    run.start();
    return QApplication::exec();
}

} // namespace velcaro
