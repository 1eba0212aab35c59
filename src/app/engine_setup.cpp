#include "app/engine_setup.h"

#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace velcaro {

QString prepareWebEngineEnvironment() {
    // On Linux the engine builds a page's accessibility tree only when this is set; it then
    // builds it only while a screen reader is active. The user's own value is kept.
    if (!qEnvironmentVariableIsSet("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY"))
        qputenv("QTWEBENGINE_ENABLE_LINUX_ACCESSIBILITY", "1");
    if (geteuid() != 0 || qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
        return {};
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    return QStringLiteral("velcaro: in esecuzione come root, la sandbox del motore web è "
                          "disattivata");
}

void ignoreFileSizeSignal() {
    std::signal(SIGXFSZ, SIG_IGN);
}

void prepareProgramProcess() {
    ignoreFileSizeSignal();
    const QString note = prepareWebEngineEnvironment();
    if (!note.isEmpty())
        std::fprintf(stderr, "%s\n", qUtf8Printable(note));
}

} // namespace velcaro
