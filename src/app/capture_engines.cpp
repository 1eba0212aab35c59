#include "app/capture_engines.h"

#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "chromium/chromium_engine.h"
#include "qt/qt_capture_engine.h"
#include "qt/twips.h"

namespace velcaro {
namespace {

// The browser area of the window as it first shows a page, in pixels: pages that lay
// themselves out by width give the same text in either engine and in the window.
QSize pageArea() {
    const double top = form1_layout::kText1.height + Form1::kBrowserGap;
    return {Twips::toPixels(form1_layout::kClientWidth),
            Twips::toPixels(form1_layout::kClientHeight - top)};
}

} // namespace

std::unique_ptr<CaptureEngine> captureEngine(CaptureOptions::Engine asked, const QString& qtNote,
                                             QString* problem, QString* notice) {
    const bool chromium = ChromiumEngine::installed();
    if (asked == CaptureOptions::Engine::Qt ||
        (asked == CaptureOptions::Engine::Default && !chromium)) {
        auto engine = std::make_unique<QtCaptureEngine>(qtNote);
        if (asked == CaptureOptions::Engine::Default)
            *notice = QStringLiteral("velcaro: Chromium non è installato: le pagine si caricano "
                                     "nel motore della finestra, %1 (installare il pacchetto "
                                     "chromium, che riceve ogni correzione di sicurezza).")
                          .arg(engine->description());
        return engine;
    }
    if (!chromium) {
        *problem = QStringLiteral("Chromium non è installato (%1): installare il pacchetto "
                                  "chromium, o usare --engine qt.")
                       .arg(ChromiumEngine::defaultProgram());
        return nullptr;
    }
    return std::make_unique<ChromiumEngine>(pageArea());
}

QString captureEnginesVersion() {
    const QString chromium = ChromiumEngine::installedVersion();
    return QStringLiteral("Motore di --capture: %1\n")
        .arg(chromium.isEmpty() ? QStringLiteral("Chromium non installato: quello della finestra")
                                : chromium + QStringLiteral(" (pacchetto chromium)"));
}

} // namespace velcaro
