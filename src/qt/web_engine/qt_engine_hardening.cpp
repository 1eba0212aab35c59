#include "qt/web_engine/qt_engine_hardening.h"

#include "platform/engine_age.h"

#include <QProcess>
#include <QtWebEngineCore/qtwebenginecoreglobal.h>

namespace velcaro {
namespace {

bool hardened = false;

// The engine's flags with JavaScript run without its JIT compilers (--js-flags=--jitless),
// after the user's own `flags`, which are kept. A choice of the user's on the JIT (--js-flags
// naming jitless, --no-jitless too) is left as it is.
QString hardenedEngineFlags(const QString& flags) {
    // The engine reads the variable as a command line: words apart, a quoted part whole.
    QStringList words = QProcess::splitCommand(flags);
    const QString jsFlags = QStringLiteral("--js-flags=");
    // Without the JIT V8 has no WebAssembly; said first, V8 does not warn of it on standard
    // error in every page's process.
    const QString jitless = QStringLiteral("--no-expose-wasm --jitless");
    bool jsFlagsGiven = false;
    for (QString& word : words) {
        // The engine keeps only the last --js-flags: ours go into the user's.
        if (!word.startsWith(jsFlags))
            continue;
        jsFlagsGiven = true;
        if (!word.contains(QLatin1String("jitless")))
            word += u' ' + jitless;
    }
    if (!jsFlagsGiven)
        words << jsFlags + jitless;
    for (QString& word : words)
        if (word.contains(u' '))
            word = u'"' + word + u'"';
    return words.join(u' ');
}

} // namespace

WebEngineFacts runningEngineFacts() {
    return {QString::fromLatin1(qWebEngineVersion()),
            QString::fromLatin1(qWebEngineChromiumVersion()),
            QString::fromLatin1(qWebEngineChromiumSecurityPatchVersion())};
}

void hardenOldEngine() {
    const WebEngineFacts facts = runningEngineFacts();
    if (!EngineAge::of(facts.securityPatchVersion, facts.chromiumVersion,
                       EngineAge::referenceDate())
             .outdated)
        return;
    hardened = true;
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS",
            hardenedEngineFlags(qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS")).toLocal8Bit());
}

bool engineHardened() {
    return hardened;
}

} // namespace velcaro
