#include "batch_capture/batch_capture.h"

#include "batch_capture/output_plan.h"
#include "browser_window/form1.h"
#include "browser_window/form1_layout.h"
#include "capture/page_text_copy.h"
#include "markdown/html_to_markdown.h"
#include "platform/atomic_file.h"
#include "platform/capture_page.h"
#include "platform/capture_platform.h"
#include "platform/console.h"
#include "platform/rich_text_box.h"
#include "platform/velcaro_error.h"
#include "platform/web_browser.h"

#include <QDir>
#include <QFileInfo>

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
};

namespace {

const QString kNoText = QStringLiteral("Non trovo nessun testo copiato !!!");

QString kilobytes(qsizetype bytes) {
    return QString::number(static_cast<double>(bytes) / 1024.0, 'f', 1);
}

QString seconds(qint64 ms) {
    return QString::number(static_cast<double>(ms) / 1000.0, 'f', 1);
}

} // namespace

BatchCapture::BatchCapture(CapturePlatform& platform, CaptureOptions options)
    : platform_(platform), options_(std::move(options)) {
    pumpTimer_.setSingleShot(true);
    pumpTimer_.setInterval(0);
    QObject::connect(&pumpTimer_, &QTimer::timeout, [this] { pump(); });
}

BatchCapture::~BatchCapture() = default;

void BatchCapture::start() {
    clock_.start();
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
    advance();
    finishIfDone();
}

// Starts pages until as many load as the run allows; a page that cannot be loaded at all
// (a missing file, an output file in the way) fails at once without taking a place.
void BatchCapture::advance() {
    if (capturing_ || ended_)
        return;
    const int total = static_cast<int>(targets_.size());
    while (next_ < total && static_cast<int>(running_.size()) < options_.jobs) {
        const int index = next_++;
        const QString& path = plan_->path(index);
        if (!targets_[static_cast<size_t>(index)].problem.isEmpty())
            fail(index, targets_[static_cast<size_t>(index)].problem);
        else if (!path.isEmpty() && !options_.force && QFileInfo::exists(path))
            fail(index, QStringLiteral("il file %1 esiste già (--force per sostituirlo)")
                            .arg(QDir::toNativeSeparators(path)));
        else
            open(index);
    }
    showStatus();
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
    if (found == running_.end() || found->second->loaded)
        return;
    Page& page = *found->second;
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
    if (capturing_ || ended_)
        return;
    while (!ready_.empty()) {
        const int index = ready_.front();
        ready_.pop_front();
        const auto found = running_.find(index);
        if (found == running_.end())
            continue;
        capturing_ = true;
        capture(*found->second);
        capturing_ = false;
    }
    released_.clear();
    advance();
    if (next_ >= static_cast<int>(targets_.size()))
        idle_.clear();
    finishIfDone();
}

void BatchCapture::capture(Page& page) {
    const int index = page.index;
    QString failure;
    const QByteArray bytes = content(page, &failure);
    if (!failure.isEmpty()) {
        fail(index, page.timedOut ? lateLoad() : failure);
        return;
    }
    try {
        const QString& path = plan_->path(index);
        if (path.isEmpty())
            platform_.console().output(bytes);
        else
            writeFileAtomically(path, bytes);
        succeed(index, bytes.size());
    } catch (const VelcaroError& e) {
        fail(index, e.description());
    }
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
        *failure = kNoText;
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

void BatchCapture::succeed(int index, qsizetype bytes) {
    const auto found = running_.find(index);
    const qint64 ms = found == running_.end() ? 0 : found->second->clock.elapsed();
    if (found != running_.end() && found->second->loads < kLoadsPerPage)
        idle_.push_back({std::move(found->second->page), found->second->loads});
    QStringList notes;
    if (found != running_.end() && found->second->timedOut)
        notes << lateLoad();
    if (found != running_.end() && found->second->wholePageForMain)
        notes << QStringLiteral("nessun testo principale: pagina intera");
    platform_.console().report(
        QStringLiteral("[%1/%2] ok %3 s %4 KB %5%6")
            .arg(index + 1)
            .arg(targets_.size())
            .arg(seconds(ms), kilobytes(bytes), targets_[static_cast<size_t>(index)].address,
                 notes.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(notes.join(u"; "))));
    release(index);
}

QString BatchCapture::lateLoad() const {
    return QStringLiteral("la pagina non ha finito di caricarsi entro %1 s")
        .arg(options_.timeoutSeconds);
}

void BatchCapture::fail(int index, const QString& reason) {
    const QString& address = targets_[static_cast<size_t>(index)].address;
    platform_.console().report(QStringLiteral("[%1/%2] FAILED: %3 %4")
                                   .arg(index + 1)
                                   .arg(targets_.size())
                                   .arg(reason, address));
    failures_ << QStringLiteral("  %1: %2").arg(address, reason);
    release(index);
}

// The page has ended: it leaves the running pages now and is deleted by the pump.
void BatchCapture::release(int index) {
    ++done_;
    const auto found = running_.find(index);
    if (found != running_.end()) {
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
    if (ended_ || capturing_ || done_ < static_cast<int>(targets_.size()) || !running_.empty())
        return;
    Console& console = platform_.console();
    const int total = static_cast<int>(targets_.size());
    if (total > 1 || !failures_.isEmpty()) {
        console.report(QStringLiteral("velcaro: %1 pagine su %2 prese in %3 s.")
                           .arg(total - failures_.size())
                           .arg(total)
                           .arg(seconds(clock_.elapsed())));
        if (!failures_.isEmpty())
            console.report(QStringLiteral("Non riuscite (%1):\n%2")
                               .arg(failures_.size())
                               .arg(failures_.join(u'\n')));
    }
    end(failures_.isEmpty() ? kAllCaptured : kSomeFailed);
}

void BatchCapture::end(int exitCode) {
    ended_ = true;
    pumpTimer_.stop();
    platform_.finish(exitCode);
}

} // namespace velcaro
