#include "app/startup.h"

#include "app/app_record.h"
#include "app/capture_run.h"
#include "app/command_line.h"
#include "app/engine_setup.h"
#include "app/qt_arguments.h"
#include "app/qt_platform.h"
#include "app/termination_watch.h"
#include "browser_window/form1.h"
#include "platform/text_box.h"
#include "shell/application.h"
#include "text_window/form3.h"

#include <QApplication>
#include <QDir>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QLoggingCategory>
#include <QTranslator>
#include <cstdio>

namespace velcaro {
namespace {

bool hasDisplay() {
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

// Qt's own dialogs (file, print, preview, message box buttons) speak the user's language.
void installTranslations(QApplication& app) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(), QStringLiteral("qt"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(translator);
}

QStringList argumentsOf(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

} // namespace

int runVelcaro(int argc, char** argv, const std::function<void()>& afterShown) {
    const CommandLine commandLine = parseCommandLine(argumentsOf(argc, argv), QDir::currentPath());
    if (commandLine.action == CommandLine::Action::Capture)
        return runCapture(commandLine.capture, argv[0]);
    if (commandLine.action != CommandLine::Action::Run)
        return answerCommandLine(commandLine, argv[0]);
    if (!hasDisplay()) {
        std::fputs("velcaro: nessuno schermo grafico disponibile (DISPLAY non impostato): "
                   "avviare Velcaro da una sessione grafica.\n",
                   stderr);
        return 1;
    }
    prepareProgramProcess();

    // The web engine reports its graphics set-up when it starts; the user needs none of it.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QtArguments qtArguments(argv[0]);
    QApplication qapp(qtArguments.argc(), qtArguments.argv());
    QApplication::setApplicationName(AppRecord::windowTitle());
    QApplication::setApplicationVersion(AppRecord::version());
    QApplication::setDesktopFileName(QStringLiteral(VELCARO_APP_ID));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velcaro.svg")));
    installTranslations(qapp);

    QtPlatform platform;
    platform.tellOfOldEngine();
    Application app(platform);
    // Ended from outside, the program writes the captured text it holds for the next start.
    const TerminationWatch watch(
        [&app] { app.errorReport().runOrPrint([&app] { app.form3().keepTextNow(); }); });
    // Without its first window the program would wait for nothing: it ends.
    if (!app.errorReport().runOrPrint([&app] { app.form1().Show(); }))
        return 1;
    app.errorReport().run([&app] { app.form3().offerLeftText(); });
    if (!commandLine.address.isEmpty()) {
        app.errorReport().run([&app, &commandLine] {
            app.form1().Text1().setText(commandLine.address);
            app.form1().Command1_Click();
        });
    }
    if (afterShown)
        afterShown();
    return QApplication::exec();
}

} // namespace velcaro
