#pragma once

#include "platform/capture_engine.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

namespace velcaro {

class ChromiumBrowser;

// One reading of a page's links, in a script world made for the question: the page's scripts
// can neither see the script nor change what it calls. It answers once: with no links when the
// world cannot be made or the page does not answer within page_scripts::kLinksWaitMs.
class PageLinksRun : public QObject {
    Q_OBJECT
public:
    PageLinksRun(ChromiumBrowser* browser, const QString& targetId, const QString& sessionId,
                 std::function<void(const PageLinks&)> done, QObject* parent);

    void start();

private:
    void answer(const PageLinks& links);

    // The browser may go first (it ended): the wait then answers.
    QPointer<ChromiumBrowser> browser_;
    QString targetId_;
    QString sessionId_;
    std::function<void(const PageLinks&)> done_;
    QTimer wait_;
};

} // namespace velcaro
