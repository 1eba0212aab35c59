#include "app/engine_setup.h"

#include <QtGlobal>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace velcaro {

QString prepareWebEngineEnvironment() {
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
