#include "shell/startup.h"

#include "browser_window/form1.h"
#include "platform/qt_platform.h"
#include "shell/app_record.h"
#include "shell/application.h"
#include "shell/engine_setup.h"

#include <QApplication>
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

} // namespace

int runVelcaro(int argc, char** argv, const std::function<void()>& afterShown) {
    if (!hasDisplay()) {
        std::fputs("velcaro: nessuno schermo grafico disponibile (DISPLAY non impostato): "
                   "avviare Velcaro da una sessione grafica.\n",
                   stderr);
        return 1;
    }
    ignoreFileSizeSignal();
    const QString note = prepareWebEngineEnvironment();
    if (!note.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(note));

    // The web engine reports its graphics set-up when it starts; the user needs none of it.
    QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(AppRecord::windowTitle());
    QApplication::setApplicationVersion(AppRecord::version());
    QApplication::setDesktopFileName(QStringLiteral("velcaro"));
    QApplication::setQuitOnLastWindowClosed(false);
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/velcaro-16.xpm"), QSize(16, 16));
    icon.addFile(QStringLiteral(":/icons/velcaro-32.xpm"), QSize(32, 32));
    QApplication::setWindowIcon(icon);
    installTranslations(qapp);

    QtPlatform platform;
    Application app(platform);
    app.errorReport().run([&app] { app.form1().Show(); });
    if (afterShown)
        afterShown();
    return QApplication::exec();
}

} // namespace velcaro
