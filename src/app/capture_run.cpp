#include "app/capture_run.h"

#include "app/app_record.h"
#include "app/command_line.h"
#include "app/engine_setup.h"
#include "app/qt_arguments.h"
#include "app/qt_capture_platform.h"
#include "batch_capture/batch_capture.h"

#include <QApplication>
#include <QFile>
#include <cstdio>

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

// Standard error carries the run's report: Qt's and the engine's warnings and the pages'
// console messages stay out of it; only critical messages get through.
void keepOnlyCriticalMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "%s\n", qUtf8Printable(message));
}

} // namespace

int runCapture(CaptureOptions options, char* program) {
    options.addresses = expandList(options.addresses);
    // The offscreen platform needs no display and keeps a clipboard of the program's own: the
    // user's clipboard is never touched.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    prepareProgramProcess();
    qInstallMessageHandler(keepOnlyCriticalMessages);
    QtArguments qtArguments(program);
    QApplication qapp(qtArguments.argc(), qtArguments.argv());
    QApplication::setApplicationName(AppRecord::windowTitle());
    QApplication::setApplicationVersion(AppRecord::version());
    QApplication::setQuitOnLastWindowClosed(false);

    QtCapturePlatform platform;
    BatchCapture run(platform, std::move(options));
    run.start();
    return QApplication::exec();
}

} // namespace velcaro
