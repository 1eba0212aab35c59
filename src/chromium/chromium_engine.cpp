#include "chromium/chromium_engine.h"

#include "chromium/chromium_browser.h"
#include "chromium/chromium_session.h"

#include <QFileInfo>
#include <QProcess>
#include <QTimer>

namespace velcaro {
namespace {

constexpr int kVersionWaitMs = 10000;

} // namespace

ChromiumEngine::ChromiumEngine(QSize pageArea, const QString& program)
    : pageArea_(pageArea), program_(program) {}

// The browsers are children of this: each kills its processes as it goes.
ChromiumEngine::~ChromiumEngine() = default;

QString ChromiumEngine::defaultProgram() {
    return QStringLiteral("/usr/lib/chromium/chromium");
}

bool ChromiumEngine::installed(const QString& program) {
    return QFileInfo(program).isExecutable();
}

QString ChromiumEngine::installedVersion(const QString& program) {
    if (!installed(program))
        return {};
    QProcess process;
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {QStringLiteral("--version")});
    // Asked once, for the command line's answer, before the program's event loop runs.
    if (!process.waitForFinished(kVersionWaitMs)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    // "Chromium 156.0.8078.129 built on Debian GNU/Linux 12 (bookworm)"
    const QStringList words =
        QString::fromUtf8(process.readAllStandardOutput()).split(u' ', Qt::SkipEmptyParts);
    return words.size() >= 2 ? words[0] + u' ' + words[1] : QString();
}

QString ChromiumEngine::description() const {
    return product_.isEmpty() ? QStringLiteral("Chromium") : product_;
}

void ChromiumEngine::start(std::function<void(const QString&)> ready) {
    ready_ = std::move(ready);
    if (!installed(program_)) {
        QTimer::singleShot(0, this, [this] {
            if (const auto ready = std::exchange(ready_, nullptr))
                ready(QStringLiteral("Chromium non è installato (manca %1): installare il "
                                     "pacchetto chromium.")
                          .arg(program_));
        });
        return;
    }
    launch();
}

qint64 ChromiumEngine::browserProcessId() const {
    return current_ && current_->running() ? current_->processId() : 0;
}

std::unique_ptr<PageSession> ChromiumEngine::openSession() {
    return std::make_unique<ChromiumSession>(*this, pageArea_);
}

void ChromiumEngine::lendBrowser(QObject* session, std::function<void(ChromiumBrowser*)> ready) {
    if (current_ && lent_ >= kSessionsPerBrowser) {
        retire(current_);
        current_ = nullptr;
    }
    if (!current_)
        launch();
    ++lent_;
    if (current_->running()) {
        ++sessions_[current_];
        ready(current_);
        return;
    }
    waiting_.append({session, std::move(ready)});
}

void ChromiumEngine::returnBrowser(ChromiumBrowser* browser) {
    const auto alive = sessions_.find(browser);
    if (alive == sessions_.end() || --*alive > 0 || browser == current_)
        return;
    sessions_.erase(alive);
    browser->close();
}

void ChromiumEngine::launch() {
    auto* browser = new ChromiumBrowser(program_, sandbox_, this);
    current_ = browser;
    lent_ = 0;
    sessions_.insert(browser, 0);
    connect(browser, &ChromiumBrowser::started, this, [this, browser] { launched(browser); });
    connect(browser, &ChromiumBrowser::failedToStart, this,
            [this, browser](const QString& why, bool endedAtStart) {
                failedToStart(browser, why, endedAtStart);
            });
    // Its sessions hear it too, and answer ProcessEnded; the next ones get a new browser.
    connect(browser, &ChromiumBrowser::ended, this, [this, browser] {
        sessions_.remove(browser);
        if (current_ == browser)
            current_ = nullptr;
        browser->deleteLater();
    });
    browser->start();
}

void ChromiumEngine::launched(ChromiumBrowser* browser) {
    product_ = browser->product();
    userAgent_ = browser->userAgent();
    if (const auto ready = std::exchange(ready_, nullptr))
        ready({});
    for (const Waiting& waiting : std::exchange(waiting_, {}))
        if (waiting.session && browser == current_) {
            ++sessions_[browser];
            waiting.ready(browser);
        }
}

void ChromiumEngine::failedToStart(ChromiumBrowser* browser, const QString& why,
                                   bool endedAtStart) {
    sessions_.remove(browser);
    if (current_ == browser)
        current_ = nullptr;
    browser->deleteLater();
    if (endedAtStart && sandbox_) {
        // Its sandbox needs user namespaces the system may not give: once more without it.
        sandbox_ = false;
        note_ = QStringLiteral("Chromium gira senza la sua sandbox: su questo sistema non riesce "
                               "ad avviarla (servono i namespace utente non privilegiati).");
        launch();
        return;
    }
    if (const auto ready = std::exchange(ready_, nullptr))
        ready(why);
    for (const Waiting& waiting : std::exchange(waiting_, {}))
        if (waiting.session)
            waiting.ready(nullptr);
}

void ChromiumEngine::retire(ChromiumBrowser* browser) {
    if (sessions_.value(browser) > 0)
        return;
    sessions_.remove(browser);
    browser->close();
}

} // namespace velcaro
