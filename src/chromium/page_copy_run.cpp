#include "chromium/page_copy_run.h"

#include "chromium/chromium_browser.h"
#include "page_scripts/page_scripts.h"

#include <QJsonArray>
#include <QTimer>
#include <memory>

namespace velcaro {
namespace {

// A language tag is short; the page chooses the attribute's text.
constexpr int kMaxLangChars = 64;

const char kClearClipboard[] = "navigator.clipboard.writeText('')";

// The clipboard's plain text, and its HTML when `withHtml`.
QString readClipboard(bool withHtml) {
    return QStringLiteral(R"((async () => {
    const copy = {text: '', html: ''};
    for (const item of await navigator.clipboard.read()) {
        if (item.types.includes('text/plain'))
            copy.text = await (await item.getType('text/plain')).text();
        if (%1 && item.types.includes('text/html'))
            copy.html = await (await item.getType('text/html')).text();
    }
    return copy;
})())")
        .arg(withHtml ? QStringLiteral("true") : QStringLiteral("false"));
}

const char kFacts[] = R"([document.title,
    document.documentElement ? document.documentElement.lang : '', location.href,
    !!document.body && /\S/.test(document.body.innerText)])";

QJsonObject keyCommand(const QString& command) {
    return {{QStringLiteral("type"), QStringLiteral("rawKeyDown")},
            {QStringLiteral("commands"), QJsonArray{command}}};
}

} // namespace

PageCopyRun::PageCopyRun(ChromiumBrowser* browser, const Page& page, PageSession::Scope scope,
                         bool withHtml, std::function<void(const PageCopy&)> done, QObject* parent)
    : QObject(parent), browser_(browser), page_(page), scope_(scope), withHtml_(withHtml),
      done_(std::move(done)) {}

PageCopyRun::~PageCopyRun() {
    if (ticket_ != 0 && browser_)
        browser_->copyTurns().release(ticket_);
}

void PageCopyRun::start() {
    if (!browser_)
        return;
    ticket_ = browser_->copyTurns().request(this, [this] { beginTurn(); });
}

void PageCopyRun::call(const QString& method, const QJsonObject& params, int waitMs, Then then,
                       const QString& sessionId) {
    // With the browser gone the session answers for the copy.
    if (!browser_)
        return;
    auto over = std::make_shared<bool>(false);
    auto* wait = new QTimer(this);
    wait->setSingleShot(true);
    connect(wait, &QTimer::timeout, this, [wait, over, then] {
        if (*over)
            return;
        *over = true;
        wait->deleteLater();
        then({}, false);
    });
    wait->start(waitMs);
    browser_->pipe().send(method, params, sessionId.isEmpty() ? page_.sessionId : sessionId, this,
                          [wait, over, then](const QJsonObject& result, const QString& error) {
                              if (*over)
                                  return;
                              *over = true;
                              wait->stop();
                              wait->deleteLater();
                              // A refused command (the page's world gone with a navigation)
                              // answers nothing, as a page too busy to answer does.
                              then(result, error.isEmpty());
                          });
}

void PageCopyRun::evaluate(const QString& expression, int waitMs,
                           std::function<void(const QVariant&, bool)> then) {
    evaluateIn({}, expression, waitMs, std::move(then));
}

void PageCopyRun::readerEvaluate(const QString& expression, int waitMs,
                                 std::function<void(const QVariant&, bool)> then) {
    evaluateIn(browser_->clipboardReader().sessionId(), expression, waitMs, std::move(then));
}

void PageCopyRun::evaluateIn(const QString& readerSession, const QString& expression, int waitMs,
                             std::function<void(const QVariant&, bool)> then) {
    QJsonObject params{{QStringLiteral("expression"), expression},
                       {QStringLiteral("returnByValue"), true},
                       {QStringLiteral("awaitPromise"), true},
                       {QStringLiteral("userGesture"), true}};
    // In the page, our world; in the reader, its only one.
    if (readerSession.isEmpty())
        params.insert(QStringLiteral("contextId"), worldId_);
    call(
        QStringLiteral("Runtime.evaluate"), params, waitMs,
        [then](const QJsonObject& result, bool answered) {
            const bool threw = result.contains(QStringLiteral("exceptionDetails"));
            then(answered && !threw ? result.value(QStringLiteral("result"))
                                          .toObject()
                                          .value(QStringLiteral("value"))
                                          .toVariant()
                                    : QVariant(),
                 answered);
        },
        readerSession);
}

void PageCopyRun::beginTurn() {
    qCDebug(chromiumSteps) << static_cast<const void*>(parent()) << "turn";
    call(QStringLiteral("Page.createIsolatedWorld"),
         {{QStringLiteral("frameId"), page_.targetId},
          {QStringLiteral("worldName"), QStringLiteral("velcaro")}},
         kScriptWaitMs, [this](const QJsonObject& world, bool answered) {
             if (!answered) {
                 timedOut();
                 return;
             }
             worldId_ = world.value(QStringLiteral("executionContextId")).toInt();
             evaluate(
                 page_scripts::releaseFocus(), page_scripts::kMeasureWaitMs,
                 [this](const QVariant& measures, bool answered) { measured(measures, answered); });
         });
}

void PageCopyRun::measured(const QVariant& measures, bool answered) {
    // A page too busy to answer a few lines of script is too busy to copy.
    if (!answered) {
        timedOut();
        return;
    }
    copyWaitMs_ = page_scripts::copyWaitMs(measures);
    pageHasText_ = page_scripts::measuredText(measures);
    if (scope_ == PageSession::Scope::MainText) {
        // The finder keeps its ranges in our world, where each is selected in turn.
        evaluate(page_scripts::mainTextFinder() + QStringLiteral("\nvelcaroMainText.find();"),
                 kFinderWaitMs, [this](const QVariant& ranges, bool) {
                     ranges_ = qBound(0, ranges.toInt(), page_scripts::kMaxMainRanges);
                     copyRange(0);
                 });
        return;
    }
    copyRange(0);
}

void PageCopyRun::copyRange(int range) {
    if (ranges_ == 0 || (range == ranges_ && copy_.text.isEmpty() && copy_.html.isEmpty())) {
        // No main text, or one that copies to nothing: the whole page.
        ranges_ = 0;
        copy_.mainText = false;
        call(QStringLiteral("Input.dispatchKeyEvent"), keyCommand(QStringLiteral("selectAll")),
             copyWaitMs_, [this](const QJsonObject&, bool) {
                 copySelection([this](bool copied) {
                     if (!copied)
                         return;
                     copy_.text = lastText_;
                     copy_.html = lastHtml_;
                     takeFacts(PageError::None);
                 });
             });
        return;
    }
    if (range == ranges_) {
        copy_.mainText = true;
        takeFacts(PageError::None);
        return;
    }
    evaluate(QStringLiteral("velcaroMainText.select(%1);").arg(range), kScriptWaitMs,
             [this, range](const QVariant& selected, bool) {
                 if (!selected.toBool()) {
                     copyRange(range + 1);
                     return;
                 }
                 copySelection([this, range](bool copied) {
                     if (!copied)
                         return;
                     if (!copy_.text.isEmpty() && !lastText_.isEmpty())
                         copy_.text += u'\n';
                     copy_.text += lastText_;
                     copy_.html += lastHtml_;
                     copyRange(range + 1);
                 });
             });
}

void PageCopyRun::copySelection(std::function<void(bool)> then) {
    copyStarted_.start();
    readerEvaluate(
        QString::fromLatin1(kClearClipboard), kScriptWaitMs, [this, then](const QVariant&, bool) {
            call(QStringLiteral("Input.dispatchKeyEvent"), keyCommand(QStringLiteral("copy")),
                 copyWaitMs_, [this, then](const QJsonObject&, bool) { readCopy(then); });
        });
}

void PageCopyRun::readCopy(std::function<void(bool)> then) {
    const int waitMs = pageHasText_ ? copyWaitMs_ : qMin(copyWaitMs_, kEmptyPageWaitMs);
    const int left = qMax<int>(1, waitMs - int(copyStarted_.elapsed()));
    readerEvaluate(
        readClipboard(withHtml_), left, [this, then, waitMs](const QVariant& value, bool) {
            const QVariantMap copied = value.toMap();
            lastText_ = copied.value(QStringLiteral("text")).toString();
            lastHtml_ = copied.value(QStringLiteral("html")).toString();
            if (!lastText_.isEmpty() || !lastHtml_.isEmpty()) {
                qCDebug(chromiumSteps) << static_cast<const void*>(parent()) << "copied";
                then(true);
                return;
            }
            if (copyStarted_.elapsed() < waitMs) {
                QTimer::singleShot(kClipboardPollMs, this, [this, then] { readCopy(then); });
                return;
            }
            // A page with no text leaves nothing to copy; one with text whose copy never came was
            // too slow or too busy to give it.
            if (pageHasText_)
                timedOut();
            else
                takeFacts(PageError::NoText);
            then(false);
        });
}

void PageCopyRun::takeFacts(PageError error) {
    evaluate(QString::fromLatin1(kFacts), kFactsWaitMs, [this, error](const QVariant& value, bool) {
        const QVariantList facts = value.toList();
        copy_.title = facts.value(0).toString();
        copy_.lang = facts.value(1).toString().left(kMaxLangChars);
        copy_.url = QUrl(facts.value(2).toString());
        copy_.showsText = error == PageError::NoText && facts.value(3).toBool();
        finish(error);
    });
}

void PageCopyRun::timedOut() {
    if (!browser_)
        return;
    // A copy the page still owes would land in the next page's turn: the page goes first.
    browser_->pipe().send(
        QStringLiteral("Target.closeTarget"), {{QStringLiteral("targetId"), page_.targetId}}, {},
        this, [this](const QJsonObject&, const QString&) { finish(PageError::CopyTimedOut); });
}

void PageCopyRun::finish(PageError error) {
    if (!browser_)
        return;
    copy_.error = error;
    if (error != PageError::None) {
        copy_.text.clear();
        copy_.html.clear();
    }
    const auto deliver = [this] {
        if (!browser_)
            return;
        browser_->copyTurns().release(std::exchange(ticket_, 0));
        const auto done = std::move(done_);
        const PageCopy copy = copy_;
        // Last: the session, and this with it, may go.
        done(copy);
    };
    if (error == PageError::CopyTimedOut) {
        deliver();
        return;
    }
    readerEvaluate(QString::fromLatin1(kClearClipboard), kScriptWaitMs,
                   [deliver](const QVariant&, bool) { deliver(); });
}

} // namespace velcaro
