#include "app/engine_setup.h"

#include <QtGlobal>
#include <csignal>
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

} // namespace velcaro
