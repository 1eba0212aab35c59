#include "batch_capture/capture_runner.h"

#include "batch_capture/capture_plan.h"
#include "batch_capture/capture_runner_page.h"
#include "platform/capture_platform.h"

#include <QDateTime>

namespace velcaro {

CaptureRunner::CaptureRunner(const CaptureOptions& options, CaptureEngine& engine,
                             CapturePlatform& platform, const CapturePlan& plan, Events events)
    : options_(options), engine_(engine), platform_(platform), plan_(plan),
      events_(std::move(events)), pacer_(options.perHost, options.delayMs),
      retryPolicy_(options.retries),
      robots_(
          [this](const QUrl& url, qint64 maxBytes, CapturePlatform::Fetched done) {
              platform_.fetch({url, engine_.userAgent(), options_.timeoutSeconds * 1000, maxBytes},
                              std::move(done));
          },
          [this] { schedule(); }) {
    pumpTimer_.setSingleShot(true);
    pumpTimer_.setInterval(0);
    QObject::connect(&pumpTimer_, &QTimer::timeout, [this] { pump(); });
    pacingTimer_.setSingleShot(true);
    QObject::connect(&pacingTimer_, &QTimer::timeout, [this] { schedule(); });
}

CaptureRunner::~CaptureRunner() = default;

void CaptureRunner::start() {
    clock_.start();
    advance();
}

void CaptureRunner::stop() {
    stopped_ = true;
    pacingTimer_.stop();
}

void CaptureRunner::more() {
    if (!exhausted_)
        return;
    exhausted_ = false;
    schedule();
}

bool CaptureRunner::idle() const {
    return running_.empty() && waiting_.empty() && retryWaits_ == 0 && exhausted_;
}

// Starts pages until as many run as the run allows: a page whose host is busy or whose
// robots.txt is still coming waits, and the pages after it of other hosts go first.
void CaptureRunner::advance() {
    if (stopped_)
        return;
    const auto room = [this] {
        return static_cast<int>(running_.size()) < options_.jobs;
    };
    const qint64 now = clock_.elapsed();
    qint64 wake = HostPacer::kWhenOneFinishes;
    QString refusal;
    for (auto it = waiting_.begin(); it != waiting_.end() && room() && !stopped_;) {
        const int index = *it;
        const Turn turn = turnOf(index, now, &wake, &refusal);
        if (turn == Turn::Wait) {
            ++it;
            continue;
        }
        it = waiting_.erase(it);
        if (turn == Turn::Refused)
            refuse(index, refusal);
        else
            begin(index, now);
    }
    while (!exhausted_ && !stopped_ && room() && static_cast<int>(waiting_.size()) < kMaxWaiting) {
        const int index = events_.next();
        if (index < 0) {
            exhausted_ = true;
            break;
        }
        const Turn turn = turnOf(index, now, &wake, &refusal);
        if (turn == Turn::Wait)
            waiting_.push_back(index);
        else if (turn == Turn::Refused)
            refuse(index, refusal);
        else
            begin(index, now);
    }
    if (wake != HostPacer::kWhenOneFinishes)
        pacingTimer_.start(static_cast<int>(std::max<qint64>(0, wake - now)));
}

CaptureRunner::Turn CaptureRunner::turnOf(int index, qint64 nowMs, qint64* wakeMs,
                                          QString* refusal) {
    const QUrl& url = plan_.target(index).url;
    if (options_.robots && robotsAllowed_.count(index) == 0) {
        switch (robots_.check(url, engine_.userAgent(), nowMs, refusal)) {
        case RobotsCheck::Turn::Wait:
            return Turn::Wait;
        case RobotsCheck::Turn::Refused:
            return Turn::Refused;
        case RobotsCheck::Turn::Allowed:
            robotsAllowed_.insert(index);
            break;
        }
    }
    const qint64 at = pacer_.nextStartMs(url, nowMs);
    if (at <= nowMs)
        return Turn::Allowed;
    *wakeMs = std::min(*wakeMs, at);
    return Turn::Wait;
}

void CaptureRunner::refuse(int index, const QString& refusal) {
    PageOutcome outcome;
    outcome.error = PageError::RobotsRefused;
    outcome.detail = refusal;
    events_.failed(index, {}, outcome);
}

void CaptureRunner::begin(int index, qint64 nowMs) {
    robotsAllowed_.erase(index);
    const QUrl& url = plan_.target(index).url;
    pacer_.started(url, nowMs);
    auto page = std::make_unique<Page>();
    page->index = index;
    page->clock.start();
    if (plan_.target(index).pdf) {
        running_[index] = std::move(page);
        fetchPdf(index);
        return;
    }
    page->session = engine_.openSession();
    page->settle.setSingleShot(true);
    page->settle.setInterval(options_.settleMs);
    Page& p = *page;
    running_[index] = std::move(page);
    QObject::connect(&p.settle, &QTimer::timeout, [this, &p] {
        copy(p, options_.mainText ? PageSession::Scope::MainText : PageSession::Scope::WholePage);
    });
    p.session->setEnded([this, index](PageError error) { ended(index, error); });
    p.session->load(url, options_.timeoutSeconds * 1000,
                    [this, index](const LoadResult& result) { loaded(index, result); });
}

void CaptureRunner::loaded(int index, const LoadResult& result) {
    const auto found = running_.find(index);
    if (found == running_.end())
        return;
    Page& page = *found->second;
    page.load = result;
    if (result.error == PageError::None) {
        page.settle.start();
        return;
    }
    // A page still loading when its time is up is taken as it is then; it fails only when
    // it shows nothing to copy.
    if (result.error == PageError::TimedOut && result.hasDocument) {
        page.late = true;
        copy(page,
             options_.mainText ? PageSession::Scope::MainText : PageSession::Scope::WholePage);
        return;
    }
    const int status = result.httpStatus;
    if (options_.crawl.enabled && result.error == PageError::HttpStatus &&
        (status == 401 || status == 403 || status == 429 || status == 503)) {
        page.judging = true;
        copy(page, PageSession::Scope::WholePage);
        return;
    }
    PageOutcome outcome = outcomeOf(page);
    outcome.error = result.error;
    outcome.detail = result.detail;
    fail(page, outcome);
}

void CaptureRunner::copy(Page& page, PageSession::Scope scope) {
    page.copying = true;
    const bool withHtml = options_.format == CaptureOptions::Format::Rtf ||
                          options_.format == CaptureOptions::Format::Markdown;
    const int index = page.index;
    page.session->copy(scope, withHtml,
                       [this, index, scope](const PageCopy& copy) { copied(index, scope, copy); });
}

void CaptureRunner::copied(int index, PageSession::Scope scope, const PageCopy& copy) {
    const auto found = running_.find(index);
    if (found == running_.end())
        return;
    Page& page = *found->second;
    PageOutcome outcome = outcomeOf(page);
    if (page.judging) {
        outcome.error = PageError::HttpStatus;
        if (copy.error == PageError::None)
            readLinks(index, copy, outcome);
        else
            fail(page, outcome);
        return;
    }
    if (copy.error != PageError::None) {
        // A page taken before its load ended that gave no copy failed for its time.
        const bool ofItsTime =
            copy.error == PageError::NoText || copy.error == PageError::CopyTimedOut;
        outcome.error = page.late && ofItsTime ? PageError::TimedOut : copy.error;
        fail(page, outcome, copy);
        return;
    }
    // A main text that copied to no text is no main text: the whole page instead.
    if (scope == PageSession::Scope::MainText && copy.mainText && copy.text.trimmed().isEmpty()) {
        page.wholePageForMain = true;
        this->copy(page, PageSession::Scope::WholePage);
        return;
    }
    outcome.wholePageForMain =
        page.wholePageForMain || (scope == PageSession::Scope::MainText && !copy.mainText);
    if (options_.crawl.enabled) {
        readLinks(index, copy, outcome);
        return;
    }
    taken(index, copy, {}, outcome);
}

void CaptureRunner::taken(int index, const PageCopy& copy, const PageLinks& links,
                          PageOutcome outcome) {
    if (!events_.captured(index, copy, links, outcome)) {
        outcome.error = PageError::NoText;
        PageCopy known = copy;
        known.showsText = !copy.text.trimmed().isEmpty();
        fail(*running_.at(index), outcome, known);
        return;
    }
    release(index);
}

// The page's process ended while it waited for its copy: that is why it has no text. During
// the copy, the copy's own answer says so.
void CaptureRunner::ended(int index, PageError error) {
    const auto found = running_.find(index);
    if (found == running_.end() || found->second->copying)
        return;
    PageOutcome outcome = outcomeOf(*found->second);
    outcome.error = error;
    fail(*found->second, outcome);
}

PageOutcome CaptureRunner::outcomeOf(const Page& page) const {
    PageOutcome outcome;
    outcome.httpStatus = page.load.httpStatus;
    outcome.late = page.late;
    const auto tried = tries_.find(page.index);
    outcome.tries = tried == tries_.end() ? 1 : tried->second;
    outcome.ms = page.clock.elapsed();
    return outcome;
}

void CaptureRunner::fail(Page& page, PageOutcome outcome, const PageCopy& known) {
    const int index = page.index;
    PageFailure failure;
    failure.error = outcome.error;
    failure.httpStatus = outcome.httpStatus;
    failure.pageHasText = known.showsText;
    if (stopped_ || !retryPolicy_.shouldRetry(failure, outcome.tries)) {
        PageCopy facts = known;
        if (facts.url.isEmpty())
            facts.url = page.load.url;
        events_.failed(index, facts, outcome);
        release(index);
        return;
    }
    tries_[index] = outcome.tries + 1;
    const QUrl url = page.load.url.isEmpty() ? plan_.target(index).url : page.load.url;
    release(index);
    ++retryWaits_;
    // A server that is busy or limits us may say for how long: the engines show no response
    // headers, so it is asked again outside the page.
    const bool busy = failure.error == PageError::HttpStatus &&
                      (failure.httpStatus == 429 || failure.httpStatus == 503);
    if (!busy) {
        retryAfter(index, outcome, failure);
        return;
    }
    platform_.askRetryAfter(url, [this, index, outcome, failure](const QByteArray& value) mutable {
        failure.retryAfterSeconds = parseRetryAfter(value, QDateTime::currentDateTimeUtc());
        retryAfter(index, outcome, failure);
    });
}

void CaptureRunner::retryAfter(int index, const PageOutcome& outcome, const PageFailure& failure) {
    const int waitMs = retryPolicy_.delayMs(outcome.tries, failure);
    events_.retrying(index, outcome, waitMs);
    QTimer::singleShot(waitMs, &pumpTimer_, [this, index] {
        --retryWaits_;
        waiting_.push_front(index);
        schedule();
    });
}

void CaptureRunner::release(int index) {
    const auto found = running_.find(index);
    if (found == running_.end())
        return;
    pacer_.finished(plan_.target(index).url);
    found->second->settle.stop();
    released_.push_back(std::move(found->second));
    running_.erase(found);
    schedule();
}

// The pump runs from the event loop, never from inside a session's own answer, so that it
// may delete the sessions that have ended.
void CaptureRunner::schedule() {
    pumpTimer_.start();
}

void CaptureRunner::pump() {
    released_.clear();
    advance();
    events_.changed();
}

} // namespace velcaro
