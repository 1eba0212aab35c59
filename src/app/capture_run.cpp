#include "app/capture_run.h"

#include "app/app_record.h"
#include "app/command_line.h"
#include "app/engine_setup.h"
#include "app/qt_arguments.h"
#include "app/qt_capture_platform.h"
#include "batch_capture/batch_capture.h"
#include "platform/std_console.h"

#include <QApplication>
#include <QFile>
#include <QLoggingCategory>
#include <QSocketNotifier>
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

// The write end of the pipe the signal handler tells the event loop through.
int signalPipe[2] = {-1, -1};

void onStopSignal(int signal) {
    const char number = static_cast<char>(signal);
    const ssize_t written = ::write(signalPipe[1], &number, 1);
    static_cast<void>(written);
}

// SIGINT and SIGTERM stop the run as BatchCapture::stop does, with the shell's code for the
// signal (130, 143); the handler only writes to a pipe the event loop watches.
void stopOnSignals(BatchCapture& run, QObject* context) {
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, context);
    QObject::connect(notifier, &QSocketNotifier::activated, context, [&run] {
        char number = 0;
        while (::read(signalPipe[0], &number, 1) == 1)
            run.stop(128 + number);
    });
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool pageMessagesShown = false;

// Standard error carries the run's report: Qt's and the engine's warnings stay out of it, and
// the pages' console messages (the engine's "js" category) unless asked for with --verbose;
// critical messages get through. A page's message loses its control characters.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext& context,
                              const QString& message) {
    if (qstrcmp(context.category, "js") == 0) {
        if (!pageMessagesShown)
            return;
        std::fprintf(stderr, "velcaro: console della pagina: %s\n",
                     qUtf8Printable(printable(message).remove(u'\n')));
    } else if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    }
}

} // namespace

int runCapture(CaptureOptions options, char* program) {
    options.addresses = expandList(options.addresses);
    // The offscreen platform needs no display and keeps a clipboard of the program's own: the
    // user's clipboard is never touched.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareProgramProcess();
    // A closed standard output (a reader that stopped, as head does) fails the write with
    // EPIPE, which the run reports, instead of ending the program without a word.
    std::signal(SIGPIPE, SIG_IGN);
    pageMessagesShown = options.verbose;
    // The engine logs a page's log and info messages below its category's threshold.
    if (pageMessagesShown)
        QLoggingCategory::setFilterRules(QStringLiteral("js.debug=true\njs.info=true"));
    qInstallMessageHandler(keepOnlyCriticalMessages);
    QtArguments qtArguments(program);
    QApplication qapp(qtArguments.argc(), qtArguments.argv());
    QApplication::setApplicationName(AppRecord::windowTitle());
    QApplication::setApplicationVersion(AppRecord::version());
    QApplication::setQuitOnLastWindowClosed(false);

    QtCapturePlatform platform;
    BatchCapture run(platform, std::move(options));
    stopOnSignals(run, &qapp);
    run.start();
    return QApplication::exec();
}

} // namespace velcaro
