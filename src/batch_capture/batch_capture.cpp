#include "batch_capture/batch_capture.h"

#include "batch_capture/capture_journal.h"
#include "batch_capture/output_plan.h"
#include "batch_capture/page_record.h"
#include "batch_capture/sitemap_crawl.h"
#include "batch_capture/sitemap_reader.h"
#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "capture/page_text_copy.h"
#include "markdown/html_to_markdown.h"
#include "platform/atomic_file.h"
#include "platform/capture_page.h"
#include "platform/capture_platform.h"
#include "platform/console.h"
#include "platform/record_file.h"
#include "platform/rich_text_box.h"
#include "platform/std_console.h"
#include "platform/velcaro_error.h"
#include "platform/web_browser.h"

#include <QDateTime>
#include <QDir>

namespace velcaro {

// A page being loaded, waited for or captured.
struct BatchCapture::Page {
    int index = 0;
    std::unique_ptr<CapturePage> page;
    int loads = 0;
    QElapsedTimer clock;
    QTimer deadline;
    QTimer settle;
    bool loaded = false;
    // Main text was asked for, and the page had none: its whole text was taken.
    bool wholePageForMain = false;
    // The page had not finished loading when its time was up.
    bool timedOut = false;
    // Why the page's process ended after the load, when it did.
    QString processEnded;
};

namespace {

const QString kNoText = QStringLiteral("Non trovo nessun testo copiato !!!");

// "120 byte", "6.4 KB", "2150.3 KB": a small page is not "0.0 KB".
QString sizeText(qsizetype bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 byte").arg(bytes);
    return QStringLiteral("%1 KB").arg(static_cast<double>(bytes) / 1024.0, 0, 'f', 1);
}

// "1 pagina", "3 pagine".
QString pages(qsizetype count) {
    return count == 1 ? QStringLiteral("1 pagina") : QStringLiteral("%1 pagine").arg(count);
}

// The word for `count` things, singular or plural: "presa", "prese".
QString agreeing(qsizetype count, const char* singular, const char* plural) {
    return QString::fromUtf8(count == 1 ? singular : plural);
}

QString seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1);
}

// The site a robots.txt stands for: scheme, host and port.
QString siteOf(const QUrl& url) {
    return url
        .adjusted(QUrl::RemoveUserInfo | QUrl::RemovePath | QUrl::RemoveQuery |
                  QUrl::RemoveFragment)
        .toString();
}

} // namespace

BatchCapture::BatchCapture(CapturePlatform& platform, CaptureOptions options)
    : platform_(platform), options_(std::move(options)), pacer_(options_.perHost, options_.delayMs),
      retryPolicy_(options_.retries) {
    pumpTimer_.setSingleShot(true);
    pumpTimer_.setInterval(0);
    QObject::connect(&pumpTimer_, &QTimer::timeout, [this] { pump(); });
    pacingTimer_.setSingleShot(true);
    QObject::connect(&pacingTimer_, &QTimer::timeout, [this] { schedulePump(); });
}

BatchCapture::~BatchCapture() = default;

void BatchCapture::stop(int exitCode) {
    if (ended_)
        return;
    if (stopCode_ >= 0 || running_.empty()) {
        stopCode_ = exitCode;
        finishIfDone();
        if (!ended_)
            end(exitCode);
        return;
    }
    stopCode_ = exitCode;
    platform_.console().report(
        QStringLiteral("velcaro: interruzione, nessuna nuova pagina; %1 in corso: al massimo "
                       "%2 s per finire.")
            .arg(pages(running_.size()))
            .arg(kStopGraceMs / 1000));
    stopTimer_.setSingleShot(true);
    QObject::connect(&stopTimer_, &QTimer::timeout, [this] {
        if (!ended_) {
            platform_.console().report(QStringLiteral("velcaro: %1 %2 a metà.")
                                           .arg(pages(running_.size()),
                                                agreeing(running_.size(), "lasciata", "lasciate")));
            end(stopCode_);
        }
    });
    stopTimer_.start(kStopGraceMs);
}

void BatchCapture::start() {
    clock_.start();
    if (options_.sitemap) {
        sitemaps_ = std::make_unique<SitemapCrawl>();
        for (const QString& address : options_.addresses)
            sitemaps_->add(captureTarget(address, options_.workingFolder).url);
        fetchNextSitemap();
        return;
    }
    startPages();
}

void BatchCapture::fetchNextSitemap() {
    const QUrl sitemap = sitemaps_->next();
    if (!sitemap.isEmpty()) {
        // One byte past the reader's bound, so that a longer file is told from one at it.
        platform_.fetch(fetchRequest(sitemap, SitemapReader::kMaxBytes + 1),
                        [this, sitemap](const QByteArray& body, int, const QString& failure) {
                            if (failure.isEmpty())
                                sitemaps_->read(sitemap, body);
                            else
                                sitemaps_->failed(sitemap, failure);
                            fetchNextSitemap();
                        });
        return;
    }
    // A problem names a sitemap an index gave: its address may hold any character.
    for (const QString& problem : sitemaps_->problems())
        platform_.console().report(
            QStringLiteral("velcaro: sitemap %1").arg(printableAddress(problem)));
    platform_.console().report(
        QStringLiteral("velcaro: %1 dalle sitemap.").arg(pages(sitemaps_->pages().size())));
    // Nothing to capture is not a bad command line: the sitemaps failed to give what was asked.
    if (sitemaps_->pages().isEmpty()) {
        end(kSomeFailed);
        return;
    }
    options_.addresses = sitemaps_->pages();
    startPages();
}

const QString& BatchCapture::userAgent() {
    if (userAgent_.isEmpty()) {
        auto page = platform_.createPage();
        userAgent_ = page->userAgent();
        idle_.push_back({std::move(page), 0});
    }
    return userAgent_;
}

FetchRequest BatchCapture::fetchRequest(const QUrl& url, qint64 maxBytes) {
    return {url, userAgent(), options_.timeoutSeconds * 1000, maxBytes};
}

void BatchCapture::startPages() {
    int repeated = 0;
    targets_ = captureTargets(options_.addresses, options_.workingFolder, &repeated);
    if (targets_.empty()) {
        platform_.console().report(QStringLiteral("velcaro: nessun indirizzo da prendere."));
        end(kBadUsage);
        return;
    }
    if (repeated == 1)
        platform_.console().report(
            QStringLiteral("velcaro: 1 indirizzo ripetuto, preso una volta sola."));
    else if (repeated > 1)
        platform_.console().report(
            QStringLiteral("velcaro: %1 indirizzi ripetuti, presi una volta sola.").arg(repeated));
    plan_ = std::make_unique<OutputPlan>(options_, targets_);
    if (!plan_->problem().isEmpty()) {
        platform_.console().report(QStringLiteral("velcaro: ") + plan_->problem());
        end(plan_->badUsage() ? kBadUsage : kSomeFailed);
        return;
    }
    if (!options_.journal.isEmpty()) {
        journal_ = std::make_unique<CaptureJournal>();
        const JournalPurpose purpose{formatName(options_.format), plan_->output(),
                                     options_.mainText};
        QString problem;
        const CaptureJournal::Opening opening = journal_->open(
            QDir(options_.workingFolder).absoluteFilePath(options_.journal), purpose, &problem);
        if (opening != CaptureJournal::Opening::Opened) {
            platform_.console().report(QStringLiteral("velcaro: ") + problem);
            end(opening == CaptureJournal::Opening::ForAnotherRun ? kBadUsage : kSomeFailed);
            return;
        }
    }
    if (!plan_->recordFile().isEmpty()) {
        records_ = std::make_unique<RecordFile>();
        const QString problem = records_->open(plan_->recordFile());
        if (!problem.isEmpty()) {
            platform_.console().report(QStringLiteral("velcaro: ") + problem);
            end(kSomeFailed);
            return;
        }
    }
    advance();
    finishIfDone();
}

// Starts pages until as many load as the run allows; a page that cannot be loaded at all
// (a missing file, an output file in the way, one robots.txt forbids) fails at once without
// taking a place, one whose host is busy or whose robots.txt is still coming waits, and one
// the journal has as done is skipped.
void BatchCapture::advance() {
    if (capturingIndex_ >= 0 || ended_ || stopCode_ >= 0)
        return;
    const int total = static_cast<int>(targets_.size());
    const auto room = [this] {
        return static_cast<int>(running_.size()) < options_.jobs;
    };
    const qint64 now = clock_.elapsed();
    qint64 wake = HostPacer::kWhenOneFinishes;
    for (auto it = waiting_.begin(); it != waiting_.end() && room();) {
        const int index = *it;
        const Robots turn = turnOf(index, now, &wake);
        if (turn == Robots::Wait) {
            ++it;
            continue;
        }
        it = waiting_.erase(it);
        start(index, turn, now);
    }
    while (next_ < total && room() && static_cast<int>(waiting_.size()) < kMaxWaiting) {
        const int index = next_++;
        const QString& path = plan_->path(index);
        if (journal_ &&
            journal_->done(targets_[static_cast<size_t>(index)].address, outputOf(index))) {
            ++skipped_;
            ++done_;
            continue;
        }
        if (!targets_[static_cast<size_t>(index)].problem.isEmpty()) {
            fail(index, targets_[static_cast<size_t>(index)].problem);
            continue;
        }
        try {
            if (!path.isEmpty())
                checkOwnFile(path, options_.force);
        } catch (const VelcaroError& e) {
            fail(index, e.description());
            continue;
        }
        const Robots turn = turnOf(index, now, &wake);
        if (turn == Robots::Wait)
            waiting_.push_back(index);
        else
            start(index, turn, now);
    }
    if (wake != HostPacer::kWhenOneFinishes)
        pacingTimer_.start(static_cast<int>(std::max<qint64>(0, wake - now)));
    showStatus();
}

BatchCapture::Robots BatchCapture::turnOf(int index, qint64 nowMs, qint64* wakeMs) {
    const Robots rule = robots(index);
    if (rule != Robots::Allowed)
        return rule;
    const qint64 at = pacer_.nextStartMs(targets_[static_cast<size_t>(index)].url, nowMs);
    if (at <= nowMs)
        return Robots::Allowed;
    *wakeMs = std::min(*wakeMs, at);
    return Robots::Wait;
}

void BatchCapture::start(int index, Robots turn, qint64 nowMs) {
    robotsAllowed_.erase(index);
    if (turn == Robots::Refused) {
        const QUrl& url = targets_[static_cast<size_t>(index)].url;
        fail(index, robots_.at(siteOf(url)).rules->refusal());
        return;
    }
    pacer_.started(targets_[static_cast<size_t>(index)].url, nowMs);
    open(index);
}

void BatchCapture::open(int index) {
    auto page = std::make_unique<Page>();
    page->index = index;
    page->clock.start();
    if (idle_.empty()) {
        page->page = platform_.createPage();
    } else {
        page->page = std::move(idle_.back().page);
        page->loads = idle_.back().loads;
        idle_.pop_back();
    }
    page->page->setLoadFinished([this, index](const QString& failure) { loaded(index, failure); });
    page->deadline.setSingleShot(true);
    page->deadline.setInterval(options_.timeoutSeconds * 1000);
    // A page still loading when its time is up is taken as it is then; it fails only when
    // it shows nothing to copy.
    QObject::connect(&page->deadline, &QTimer::timeout, [this, index] {
        Page& late = *running_.at(index);
        late.loaded = true;
        late.timedOut = true;
        ready_.push_back(index);
        schedulePump();
    });
    page->settle.setSingleShot(true);
    page->settle.setInterval(options_.settleMs);
    QObject::connect(&page->settle, &QTimer::timeout, [this, index] {
        ready_.push_back(index);
        schedulePump();
    });
    Page& p = *page;
    running_[index] = std::move(page);
    try {
        WebBrowser& browser = p.page->browser();
        if (p.loads == 0) {
            // The browser area of the window as it first shows a page, so that pages that
            // lay themselves out by width give the same text.
            const double top = form1_layout::kText1.height + Form1::kBrowserGap;
            browser.Move(0, 0, form1_layout::kClientWidth, form1_layout::kClientHeight - top);
            browser.setVisible(true);
        }
        ++p.loads;
        p.deadline.start();
        browser.Navigate(targets_[static_cast<size_t>(index)].url.toString());
    } catch (const VelcaroError& e) {
        fail(index, e.description());
    }
}

void BatchCapture::loaded(int index, const QString& failure) {
    const auto found = running_.find(index);
    if (found == running_.end())
        return;
    Page& page = *found->second;
    if (page.loaded) {
        // The page's process ended while the page waited or was being copied: that is why
        // it has no text.
        if (!failure.isEmpty() && page.processEnded.isEmpty()) {
            page.processEnded = failure;
            if (index != capturingIndex_)
                fail(index, failure);
        }
        return;
    }
    page.loaded = true;
    page.deadline.stop();
    if (!failure.isEmpty())
        fail(index, failure);
    else
        page.settle.start();
}

// Captures the pages that are ready, one at a time: a capture waits for the engine in an
// event loop, where other pages may become ready or fail; they wait in the queue, and the
// pages that ended meanwhile are released only once no capture is running.
void BatchCapture::pump() {
    if (capturingIndex_ >= 0 || ended_)
        return;
    while (!ready_.empty() && !ended_) {
        const int index = ready_.front();
        ready_.pop_front();
        const auto found = running_.find(index);
        if (found == running_.end())
            continue;
        capturingIndex_ = index;
        capture(*found->second);
        capturingIndex_ = -1;
    }
    released_.clear();
    advance();
    if (next_ >= static_cast<int>(targets_.size()) && waiting_.empty())
        idle_.clear();
    finishIfDone();
}

void BatchCapture::capture(Page& page) {
    const int index = page.index;
    QString failure;
    const QByteArray bytes = content(page, &failure);
    if (!failure.isEmpty()) {
        fail(index, !page.processEnded.isEmpty() ? page.processEnded
                    : page.timedOut              ? lateLoad()
                                                 : failure);
        return;
    }
    if (options_.format == CaptureOptions::Format::Jsonl) {
        const qint64 end =
            writeRecord(index, page.page->facts(true), &bytes, QString(), page.clock.elapsed());
        if (end >= 0)
            succeed(index, bytes.size(), end);
        return;
    }
    try {
        const QString& path = plan_->path(index);
        if (path.isEmpty())
            platform_.console().output(bytes);
        else
            writeOwnFile(path, bytes, options_.force);
    } catch (const VelcaroError& e) {
        fail(index, e.description());
        return;
    }
    succeed(index, bytes.size());
}

// One JSON object on a line, for the page at `index`: its text when it was captured, else
// why not.
qint64 BatchCapture::writeRecord(int index, const PageFacts& facts, const QByteArray* text,
                                 const QString& error, qint64 ms) {
    const CaptureTarget& target = targets_[static_cast<size_t>(index)];
    PageRecord record;
    record.address = target.address;
    record.url = facts.url.isEmpty() ? target.url : facts.url;
    // A file has no HTTP status, whatever the engine says of its load.
    record.httpStatus = record.url.isLocalFile() ? 0 : facts.httpStatus;
    record.title = facts.title;
    record.lang = facts.lang;
    if (text)
        record.text = QString::fromUtf8(*text);
    record.error = error;
    record.ms = ms;
    record.index = options_.firstIndex + target.index;
    const QByteArray line = recordLine(record);
    try {
        if (records_)
            return records_->append(line);
        platform_.console().output(line);
        return 0;
    } catch (const VelcaroError& e) {
        outputLost(e.description());
        return -1;
    }
}

// The records cannot be written any more (a closed pipe, a full disk): the run ends, since
// every page after would be lost too.
void BatchCapture::outputLost(const QString& reason) {
    platform_.console().report(QStringLiteral("velcaro: i record non si possono più scrivere, "
                                              "cattura interrotta: ") +
                               reason);
    end(kSomeFailed);
}

// The page's text as the window's capture and save give it: the plain text through the same
// rich text box and its TXT save, or the RTF document or the Markdown made from the copied
// HTML.
QByteArray BatchCapture::content(Page& page, QString* failure) {
    CapturePage& capturePage = *page.page;
    PageTextCopy copy([&capturePage]() -> WebBrowser& { return capturePage.browser(); },
                      platform_.clipboard());
    if (!copy.copy(options_.mainText ? PageTextCopy::Scope::MainText
                                     : PageTextCopy::Scope::WholePage)) {
        *failure = copy.copyFailure().isEmpty() ? kNoText : copy.copyFailure();
        return {};
    }
    page.wholePageForMain = options_.mainText && !copy.tookMainText();
    try {
        if (options_.format == CaptureOptions::Format::Rtf) {
            const QString rtf = copy.rtf();
            if (rtf.isEmpty())
                *failure = kNoText;
            return rtf.toLatin1();
        }
        if (options_.format == CaptureOptions::Format::Markdown) {
            const QString html = copy.html();
            if (html.isEmpty())
                *failure = kNoText;
            return markdown::htmlToMarkdown(html.toUtf8(),
                                            targets_[static_cast<size_t>(page.index)].url)
                .toUtf8();
        }
        copy.fill([this]() -> RichTextBox& { return platform_.textBox(); });
        return platform_.textBox().fileContent(RichTextBox::rtfText);
    } catch (const VelcaroError& e) {
        *failure = e.description();
        return {};
    }
}

void BatchCapture::succeed(int index, qsizetype bytes, qint64 recordEnd) {
    const auto found = running_.find(index);
    const qint64 ms = found == running_.end() ? 0 : found->second->clock.elapsed();
    if (found != running_.end() && found->second->loads < kLoadsPerPage)
        idle_.push_back({std::move(found->second->page), found->second->loads});
    QStringList notes;
    if (found != running_.end() && found->second->timedOut)
        notes << lateLoad();
    if (found != running_.end() && found->second->wholePageForMain)
        notes << QStringLiteral("nessun testo principale: pagina intera");
    if (tries_.count(index) > 0)
        notes << triesNote(index);
    journal(index, QString(), ms, recordEnd);
    ++captured_;
    platform_.console().report(
        QStringLiteral("[%1/%2] ok %3 s %4 %5%6")
            .arg(index + 1)
            .arg(targets_.size())
            .arg(seconds(ms), sizeText(bytes), shownAddress(index),
                 notes.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(notes.join(u"; "))));
    release(index);
}

QString BatchCapture::outputOf(int index) const {
    return plan_->recordFile().isEmpty() ? plan_->path(index) : plan_->recordFile();
}

QString BatchCapture::shownAddress(int index) const {
    return printableAddress(targets_[static_cast<size_t>(index)].address);
}

QString BatchCapture::triesNote(int index) const {
    return QStringLiteral("%1 tentativi").arg(tries_.at(index));
}

QString BatchCapture::lateLoad() const {
    return QStringLiteral("la pagina non ha finito di caricarsi entro %1 s")
        .arg(options_.timeoutSeconds);
}

void BatchCapture::fail(int index, const QString& reason) {
    if (ended_ || retryLater(index, reason))
        return;
    const auto found = running_.find(index);
    const bool running = found != running_.end();
    const qint64 ms = running ? found->second->clock.elapsed() : 0;
    qint64 recordEnd = 0;
    if (options_.format == CaptureOptions::Format::Jsonl) {
        recordEnd = writeRecord(index, running ? found->second->page->facts(false) : PageFacts{},
                                nullptr, reason, ms);
        if (recordEnd < 0)
            return;
    }
    journal(index, reason, ms, recordEnd);
    const QString address = shownAddress(index);
    const QString shown =
        tries_.count(index) > 0 ? QStringLiteral("%1 (%2)").arg(reason, triesNote(index)) : reason;
    platform_.console().report(QStringLiteral("[%1/%2] FAILED: %3 %4")
                                   .arg(index + 1)
                                   .arg(targets_.size())
                                   .arg(shown, address));
    failures_ << QStringLiteral("  %1: %2").arg(address, shown);
    release(index);
}

void BatchCapture::journal(int index, const QString& reason, qint64 ms, qint64 recordEnd) {
    if (!journal_ || ended_)
        return;
    JournalEntry entry;
    entry.address = targets_[static_cast<size_t>(index)].address;
    entry.outcome = reason.isEmpty() ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
    entry.output = reason.isEmpty() ? outputOf(index) : QString();
    entry.end = reason.isEmpty() ? recordEnd : 0;
    entry.reason = reason;
    entry.ms = ms;
    QString problem;
    if (!journal_->record(entry, &problem))
        outputLost(problem);
}

namespace {

// What the policy needs to know of a failure: its kind, read from the HTTP error status or the
// engine's error name (a page served whole, 200, may still time out).
PageFailure failureOf(const QString& reason, int httpStatus, bool timedOut) {
    PageFailure failure;
    failure.reason = reason;
    if (httpStatus >= 400) {
        failure.kind = PageFailure::Kind::HttpStatus;
        failure.httpStatus = httpStatus;
    } else if (timedOut || reason.contains(QLatin1String("ERR_TIMED_OUT"))) {
        failure.kind = PageFailure::Kind::Timeout;
    } else if (reason.contains(QLatin1String("ERR_CONNECTION_RESET")) ||
               reason.contains(QLatin1String("ERR_CONNECTION_CLOSED")) ||
               reason.contains(QLatin1String("ERR_EMPTY_RESPONSE"))) {
        failure.kind = PageFailure::Kind::ConnectionReset;
    } else if (reason.contains(QLatin1String("ERR_CONNECTION_REFUSED"))) {
        failure.kind = PageFailure::Kind::ConnectionRefused;
    }
    return failure;
}

} // namespace

BatchCapture::Robots BatchCapture::robots(int index) {
    const QUrl& url = targets_[static_cast<size_t>(index)].url;
    if (!options_.robots || (url.scheme() != u"http" && url.scheme() != u"https") ||
        robotsAllowed_.count(index) > 0)
        return Robots::Allowed;
    const QString site = siteOf(url);
    const auto found = robots_.find(site);
    const bool recheck = found != robots_.end() && found->second.rules &&
                         !found->second.rules->reachable() &&
                         clock_.elapsed() - found->second.atMs >= kRobotsRecheckMs;
    if (found == robots_.end() || recheck) {
        robots_[site] = SiteRobots();
        // One byte past the rules' bound, so that they see whether it cuts a line.
        platform_.fetch(fetchRequest(QUrl(site + QStringLiteral("/robots.txt")),
                                     RobotsRules::kMaxBodyBytes + 1),
                        [this, site](const QByteArray& body, int status, const QString& failure) {
                            SiteRobots& robots = robots_[site];
                            robots.rules = RobotsRules::fetched(body, status, failure, userAgent_);
                            robots.atMs = clock_.elapsed();
                            schedulePump();
                        });
        return Robots::Wait;
    }
    if (!found->second.rules)
        return Robots::Wait;
    if (!found->second.rules->allowed(url))
        return Robots::Refused;
    robotsAllowed_.insert(index);
    return Robots::Allowed;
}

bool BatchCapture::retryLater(int index, const QString& reason) {
    const auto found = running_.find(index);
    if (found == running_.end() || stopCode_ >= 0 || retryPolicy_.retries() == 0)
        return false;
    Page& page = *found->second;
    const PageFacts facts = page.page->facts(false);
    PageFailure failure = failureOf(reason, facts.httpStatus, page.timedOut);
    // A page that shows text of which nothing was copied may copy at the next try.
    if (reason == kNoText) {
        failure.kind = PageFailure::Kind::NoText;
        failure.pageHasText = page.page->showsText();
    }
    const auto known = tries_.find(index);
    const int triesSoFar = known == tries_.end() ? 1 : known->second;
    if (!retryPolicy_.shouldRetry(failure, triesSoFar))
        return false;
    tries_[index] = triesSoFar + 1;
    const QUrl url = facts.url;
    release(index, false);
    // A server that is busy or limits us may say for how long: the engine shows no response
    // headers, so it is asked again outside the page.
    const bool busy = failure.kind == PageFailure::Kind::HttpStatus &&
                      (failure.httpStatus == 429 || failure.httpStatus == 503);
    if (!busy || url.isEmpty()) {
        retryAfterWait(index, failure);
        return true;
    }
    platform_.askRetryAfter(
        url, [this, index, said = failure](const QByteArray& retryAfter) mutable {
            said.retryAfterSeconds = parseRetryAfter(retryAfter, QDateTime::currentDateTimeUtc());
            if (!ended_)
                retryAfterWait(index, said);
        });
    return true;
}

void BatchCapture::retryAfterWait(int index, const PageFailure& failure) {
    const int tries = tries_[index];
    const int waitMs = retryPolicy_.delayMs(tries - 1, failure);
    platform_.console().report(QStringLiteral("[%1/%2] di nuovo tra %3 s (tentativo %4): %5 %6")
                                   .arg(index + 1)
                                   .arg(targets_.size())
                                   .arg(seconds(waitMs))
                                   .arg(tries)
                                   .arg(failure.reason, shownAddress(index)));
    QTimer::singleShot(waitMs, &pumpTimer_, [this, index] {
        waiting_.push_front(index);
        schedulePump();
    });
}

// The page has ended: it leaves the running pages now and is deleted by the pump.
void BatchCapture::release(int index, bool ended) {
    if (ended)
        ++done_;
    const auto found = running_.find(index);
    if (found != running_.end()) {
        pacer_.finished(targets_[static_cast<size_t>(index)].url);
        found->second->deadline.stop();
        found->second->settle.stop();
        released_.push_back(std::move(found->second));
        running_.erase(found);
    }
    showStatus();
    schedulePump();
}

// The pump runs from the event loop, never from inside a page's own signals, so that it may
// delete the pages that have ended.
void BatchCapture::schedulePump() {
    if (!ended_)
        pumpTimer_.start();
}

void BatchCapture::showStatus() {
    platform_.console().status(QStringLiteral("velcaro: %1/%2 pagine, %3 non riuscite, %4 in corso")
                                   .arg(done_)
                                   .arg(targets_.size())
                                   .arg(failures_.size())
                                   .arg(running_.size()));
}

void BatchCapture::finishIfDone() {
    if (ended_ || capturingIndex_ >= 0 || !running_.empty())
        return;
    if (stopCode_ >= 0) {
        platform_.console().report(QStringLiteral("velcaro: interrotta: %1 su %2 %3, %4 non %5.")
                                       .arg(pages(done_))
                                       .arg(targets_.size())
                                       .arg(agreeing(done_, "finita", "finite"))
                                       .arg(failures_.size())
                                       .arg(agreeing(failures_.size(), "riuscita", "riuscite")));
        end(stopCode_);
        return;
    }
    if (done_ < static_cast<int>(targets_.size()))
        return;
    Console& console = platform_.console();
    const int total = static_cast<int>(targets_.size());
    if (total > 1 || !failures_.isEmpty() || skipped_ > 0) {
        console.report(QStringLiteral("velcaro: %1 %2 su %3 in %4 s.")
                           .arg(agreeing(captured_, "presa", "prese"), pages(captured_))
                           .arg(total)
                           .arg(seconds(clock_.elapsed())));
        if (skipped_ > 0)
            console.report(QStringLiteral("velcaro: %1 %2 secondo il giornale, non %3 di nuovo.")
                               .arg(skipped_)
                               .arg(agreeing(skipped_, "già presa", "già prese"),
                                    agreeing(skipped_, "caricata", "caricate")));
        if (!failures_.isEmpty())
            console.report(QStringLiteral("Non riuscite (%1):\n%2")
                               .arg(failures_.size())
                               .arg(failures_.join(u'\n')));
    }
    const bool sitemapsRead = !sitemaps_ || sitemaps_->unread() == 0;
    end(failures_.isEmpty() && sitemapsRead ? kAllCaptured : kSomeFailed);
}

void BatchCapture::end(int exitCode) {
    ended_ = true;
    pumpTimer_.stop();
    stopTimer_.stop();
    pacingTimer_.stop();
    platform_.finish(exitCode);
}

} // namespace velcaro
