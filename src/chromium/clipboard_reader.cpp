#include "chromium/clipboard_reader.h"

#include "chromium/chromium_browser.h"

#include <QJsonArray>
#include <QTimer>

namespace velcaro {
namespace {

// Reserved for names that never resolve: the one request is answered before any network.
const char kReaderAddress[] = "https://appunti.velcaro.invalid/";
const char kReaderPage[] = "<!DOCTYPE html><title>velcaro</title>";

} // namespace

ClipboardReader::ClipboardReader(ChromiumBrowser& browser) : browser_(browser) {}

void ClipboardReader::open(std::function<void(bool)> ready) {
    ready_ = std::move(ready);
    QTimer::singleShot(kOpenWaitMs, this, [this] { this->ready(false); });
    DevToolsPipe& pipe = browser_.pipe();
    pipe.send(
        QStringLiteral("Target.createBrowserContext"), {{QStringLiteral("disposeOnDetach"), true}},
        {}, this, [this, &pipe](const QJsonObject& result, const QString& error) {
            const QString contextId = result.value(QStringLiteral("browserContextId")).toString();
            if (!error.isEmpty() || contextId.isEmpty()) {
                this->ready(false);
                return;
            }
            browser_.watchContext(contextId, this,
                                  [this](const QString& method, const QJsonObject& params) {
                                      contextEvent(method, params);
                                  });
            pipe.send(QStringLiteral("Browser.grantPermissions"),
                      {{QStringLiteral("permissions"),
                        QJsonArray{QStringLiteral("clipboardReadWrite"),
                                   QStringLiteral("clipboardSanitizedWrite")}},
                       {QStringLiteral("browserContextId"), contextId}});
            pipe.send(QStringLiteral("Target.createTarget"),
                      {{QStringLiteral("url"), QString::fromLatin1(kReaderAddress)},
                       {QStringLiteral("browserContextId"), contextId}});
        });
}

void ClipboardReader::contextEvent(const QString& method, const QJsonObject& params) {
    DevToolsPipe& pipe = browser_.pipe();
    if (method == QLatin1String("Fetch.requestPaused")) {
        pipe.send(
            QStringLiteral("Fetch.fulfillRequest"),
            {{QStringLiteral("requestId"), params.value(QStringLiteral("requestId"))},
             {QStringLiteral("responseCode"), 200},
             {QStringLiteral("responseHeaders"),
              QJsonArray{QJsonObject{
                  {QStringLiteral("name"), QStringLiteral("Content-Type")},
                  {QStringLiteral("value"), QStringLiteral("text/html; charset=utf-8")}}}},
             {QStringLiteral("body"), QString::fromLatin1(QByteArray(kReaderPage).toBase64())}});
        return;
    }
    if (method != QLatin1String("Target.attachedToTarget") || !sessionId_.isEmpty())
        return;
    sessionId_ = params.value(QStringLiteral("sessionId")).toString();
    pipe.setEventHandler(sessionId_, this, [this](const QString& event, const QJsonObject&) {
        if (event == QLatin1String("Page.loadEventFired"))
            ready(true);
    });
    pipe.send(QStringLiteral("Page.enable"), {}, sessionId_);
    // The clipboard is read only by a page that has the focus.
    pipe.send(QStringLiteral("Emulation.setFocusEmulationEnabled"),
              {{QStringLiteral("enabled"), true}}, sessionId_);
    pipe.send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, sessionId_);
}

void ClipboardReader::ready(bool loaded) {
    if (const auto ready = std::exchange(ready_, nullptr))
        ready(loaded);
}

} // namespace velcaro
