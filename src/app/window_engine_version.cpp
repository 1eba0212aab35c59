#include "app/window_engine_version.h"

#include "platform/engine_age.h"
#include "platform/velcaro_error.h"
#include "qt/web_engine_loader.h"

namespace velcaro {

QString windowEngineVersion() {
    const QString heading = QStringLiteral("Motore web della finestra: ");
    WebEngineFacts facts;
    try {
        facts = webEngineFacts();
    } catch (const VelcaroError& e) {
        return heading + e.description() + u'\n';
    }
    const EngineAge age = EngineAge::of(facts.securityPatchVersion, facts.chromiumVersion,
                                        EngineAge::referenceDate());
    QString lines = heading + QStringLiteral("Qt WebEngine %1 (Chromium %2), %3.\n")
                                  .arg(facts.qtVersion, facts.chromiumVersion, age.describeFixes());
    if (age.outdated)
        lines += age.warning() + u'\n';
    return lines;
}

} // namespace velcaro
