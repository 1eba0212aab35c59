#include "chromium/page_links_run.h"

#include "chromium/chromium_browser.h"
#include "page_scripts/page_scripts.h"

#include <QJsonObject>

namespace velcaro {

PageLinksRun::PageLinksRun(ChromiumBrowser* browser, const QString& targetId,
                           const QString& sessionId, std::function<void(const PageLinks&)> done,
                           QObject* parent)
    : QObject(parent), browser_(browser), targetId_(targetId), sessionId_(sessionId),
      done_(std::move(done)) {
    wait_.setSingleShot(true);
    wait_.callOnTimeout(this, [this] { answer({}); });
}

void PageLinksRun::start() {
    wait_.start(page_scripts::kLinksWaitMs);
    browser_->pipe().send(
        QStringLiteral("Page.createIsolatedWorld"),
        {{QStringLiteral("frameId"), targetId_},
         {QStringLiteral("worldName"), QStringLiteral("velcaro")}},
        sessionId_, this, [this](const QJsonObject& world, const QString& error) {
            if (!error.isEmpty() || !browser_) {
                answer({});
                return;
            }
            browser_->pipe().send(
                QStringLiteral("Runtime.evaluate"),
                {{QStringLiteral("expression"), page_scripts::pageLinks()},
                 {QStringLiteral("contextId"),
                  world.value(QStringLiteral("executionContextId")).toInt()},
                 {QStringLiteral("returnByValue"), true}},
                sessionId_, this, [this](const QJsonObject& result, const QString&) {
                    answer(page_scripts::readPageLinks(result.value(QStringLiteral("result"))
                                                           .toObject()
                                                           .value(QStringLiteral("value"))
                                                           .toVariant()));
                });
        });
}

void PageLinksRun::answer(const PageLinks& links) {
    wait_.stop();
    if (!done_)
        return;
    const auto done = std::move(done_);
    done_ = nullptr;
    done(links);
}

} // namespace velcaro
