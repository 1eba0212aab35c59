#include "chromium/chromium_browser.h"

#include <QJsonArray>
#include <QTimer>
#include <csignal>
#include <cstring>
#include <grp.h>
#include <pwd.h>
#include <sys/prctl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace velcaro {

Q_LOGGING_CATEGORY(chromiumSteps, "velcaro.chromium.steps", QtInfoMsg)

namespace {

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
// A page's script heap: a page that allocates without end took 4 GB before it died.
constexpr char kScriptHeapFlag[] = "--js-flags=--max-old-space-size=1024";
// Below this much shared memory the browser's own launcher moves its shared files to /tmp.
constexpr unsigned long long kMinSharedMemory = 4080218931ULL;
// What its processes write when a page's script heap is exhausted.
const QByteArray kOutOfMemoryMarks[] = {"V8 javascript OOM", "Fatal JavaScript out of memory",
                                        "Out of memory"};

struct Runner {
    bool switchUser;
    uid_t uid;
    gid_t gid;
};

// Root runs the browser as `nobody`; any other user as himself.
Runner runner() {
    if (::geteuid() != 0)
        return {false, ::getuid(), ::getgid()};
    const passwd* nobody = ::getpwnam("nobody");
    return {true, nobody ? nobody->pw_uid : kNobody, nobody ? nobody->pw_gid : kNoGroup};
}

bool smallSharedMemory() {
    struct statvfs info;
    return ::statvfs("/dev/shm", &info) == 0 &&
           static_cast<unsigned long long>(info.f_bavail) * info.f_frsize < kMinSharedMemory;
}

} // namespace

ChromiumBrowser::ChromiumBrowser(const QString& program, bool sandbox, QObject* parent)
    : QObject(parent), program_(program), sandbox_(sandbox) {
    process_.setStandardOutputFile(QProcess::nullDevice());
    connect(&process_, &QProcess::readyReadStandardError, this, &ChromiumBrowser::readErrors);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            fail(QStringLiteral("Chromium non si avvia (%1): installare il pacchetto chromium.")
                     .arg(program_),
                 false);
    });
    connect(&process_, &QProcess::finished, this, [this] {
        // What it started and left behind goes with it.
        killGroup();
        groupId_ = 0;
        if (!running_) {
            fail(QStringLiteral("Chromium si è chiuso appena avviato (codice %1).")
                     .arg(process_.exitCode()),
                 true);
            return;
        }
        running_ = false;
        if (!over_) {
            over_ = true;
            emit ended();
        }
    });
    connect(&pipe_, &DevToolsPipe::closed, this, [this] {
        // The process's own end follows; a browser that closed its pipe but runs on is of no use.
        if (running_)
            killGroup();
    });
    pipe_.setEventHandler({}, this, [this](const QString& method, const QJsonObject& params) {
        browserEvent(method, params);
    });
}

ChromiumBrowser::~ChromiumBrowser() {
    over_ = true;
    process_.disconnect(this);
    killGroup();
}

QStringList ChromiumBrowser::arguments() const {
    QStringList args{
        QStringLiteral("--headless=new"),
        QStringLiteral("--remote-debugging-pipe"),
        QStringLiteral("--user-data-dir=") + folder_.path() + QStringLiteral("/profile"),
        QStringLiteral("--no-first-run"),
        QStringLiteral("--no-default-browser-check"),
        QStringLiteral("--disable-gpu"),
        // Without these the closed network here refuses its many connections, slowly.
        QStringLiteral("--disable-background-networking"),
        QStringLiteral("--disable-component-update"),
        QStringLiteral("--disable-sync"),
        QStringLiteral("--disable-extensions"),
        QStringLiteral("--mute-audio"),
        QStringLiteral("--disable-crash-reporter"),
        // The address bar's pop-up pages, which every browser context would otherwise load in
        // a page process of its own (0.46 s a fresh page with them, 0.2 s without); and the
        // spare page process kept warm for the next page, of no use when every page has a
        // context of its own: each page started two (200 light pages: 413 page processes,
        // 38.6 s; without the spare 202, 33.0 s).
        QStringLiteral("--disable-features=WebUIOmniboxAimPopup,WebUIOmniboxPopup,"
                       "SpareRendererForSitePerProcess"),
        QString::fromLatin1(kScriptHeapFlag),
    };
    if (smallSharedMemory())
        args << QStringLiteral("--disable-dev-shm-usage");
    if (!sandbox_)
        args << QStringLiteral("--no-sandbox");
    // The user's own, as QTWEBENGINE_CHROMIUM_FLAGS are for the window's engine (a proxy, say).
    args << QProcess::splitCommand(qEnvironmentVariable("VELCARO_CHROMIUM_FLAGS"));
    return args;
}

void ChromiumBrowser::start() {
    const Runner user = runner();
    if (!folder_.make(QStringLiteral("velcaro-chromium"), user.uid, user.gid) || !pipe_.open()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                fail(QStringLiteral("Chromium non si avvia: non posso preparare la sua cartella "
                                    "temporanea (%1).")
                         .arg(QString::fromLocal8Bit(strerror(errno))),
                     false);
            },
            Qt::QueuedConnection);
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // Everything it keeps goes into its folder, nothing to the user's home or his desktop.
    env.insert(QStringLiteral("HOME"), folder_.path());
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), folder_.path() + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), folder_.path() + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), folder_.path() + QStringLiteral("/data"));
    for (const char* name :
         {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "DBUS_SESSION_BUS_ADDRESS"})
        env.remove(QString::fromLatin1(name));
    process_.setProcessEnvironment(env);
    process_.setWorkingDirectory(folder_.path());
    configureChild();
    startWait_ = new QTimer(this);
    startWait_->setSingleShot(true);
    connect(startWait_, &QTimer::timeout, this, [this] {
        killGroup();
        fail(QStringLiteral("Chromium non ha risposto entro %1 s dall'avvio.")
                 .arg(kStartWaitMs / 1000),
             false);
    });
    startWait_->start(kStartWaitMs);
    connect(&process_, &QProcess::started, this, [this] {
        groupId_ = static_cast<pid_t>(process_.processId());
        pipe_.attach();
        pipe_.send(
            QStringLiteral("Browser.getVersion"), {}, {}, this,
            [this](const QJsonObject& version, const QString& error) {
                if (!error.isEmpty() || over_)
                    return;
                startWait_->stop();
                running_ = true;
                product_ =
                    version.value(QStringLiteral("product"))
                        .toString()
                        .replace(QStringLiteral("HeadlessChrome/"), QStringLiteral("Chromium "))
                        .replace(QStringLiteral("Chrome/"), QStringLiteral("Chromium "));
                userAgent_ = version.value(QStringLiteral("userAgent")).toString();
                // Every document request waits for us: a page's first one starts before
                // the page is set up, and goes on once it is (what it does is then heard);
                // local ones are read by us, not by the browser (which, run as another
                // user, may not be able to), if the folder rule allows.
                pipe_.send(QStringLiteral("Fetch.enable"),
                           {{QStringLiteral("patterns"),
                             QJsonArray{QJsonObject{
                                 {QStringLiteral("urlPattern"), QStringLiteral("*")},
                                 {QStringLiteral("resourceType"), QStringLiteral("Document")}}}}});
                // Every new target waits for us: a page is set up before it loads, and
                // a pop-up is closed before it runs.
                pipe_.send(QStringLiteral("Target.setAutoAttach"),
                           {{QStringLiteral("autoAttach"), true},
                            {QStringLiteral("waitForDebuggerOnStart"), true},
                            {QStringLiteral("flatten"), true}},
                           {}, this, [this](const QJsonObject&, const QString&) {
                               clipboardReader_.open([this](bool loaded) {
                                   if (loaded) {
                                       emit started();
                                       return;
                                   }
                                   killGroup();
                                   fail(QStringLiteral("Chromium non ha aperto la sua pagina "
                                                       "per leggere gli appunti."),
                                        false);
                               });
                           });
            });
    });
    process_.start(program_, arguments());
}

void ChromiumBrowser::configureChild() {
    const Runner user = runner();
    const pid_t parent = ::getpid();
    const DevToolsPipe* pipe = &pipe_;
    process_.setChildProcessModifier([pipe, user, parent] {
        ::setsid();
        pipe->placeInChild();
        if (user.switchUser &&
            (::setgroups(0, nullptr) != 0 || ::setgid(user.gid) != 0 || ::setuid(user.uid) != 0))
            ::_exit(127);
        // After the change of user, which clears it; and the parent may have gone already.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127);
    });
}

void ChromiumBrowser::close() {
    over_ = true;
    if (!running_) {
        deleteLater();
        return;
    }
    connect(&process_, &QProcess::finished, this, &QObject::deleteLater);
    pipe_.send(QStringLiteral("Browser.close"));
    QTimer::singleShot(kCloseWaitMs, this, &ChromiumBrowser::killGroup);
}

void ChromiumBrowser::watchContext(const QString& contextId, QObject* receiver,
                                   ContextHandler handler) {
    contexts_.insert(contextId, {receiver, std::move(handler)});
}

void ChromiumBrowser::forgetContext(const QString& contextId) {
    contexts_.remove(contextId);
    pageContexts_.removeIf([&contextId](const auto& page) { return page.value() == contextId; });
}

void ChromiumBrowser::browserEvent(const QString& method, const QJsonObject& params) {
    if (method == QLatin1String("Fetch.requestPaused")) {
        // A main frame's document (its id is the page target's) is its session's to let go.
        const auto watch = contexts_.constFind(
            pageContexts_.value(params.value(QStringLiteral("frameId")).toString()));
        if (watch != contexts_.constEnd() && watch->receiver) {
            const auto handler = watch->handler;
            handler(method, params);
            return;
        }
        pipe_.send(QStringLiteral("Fetch.continueRequest"),
                   {{QStringLiteral("requestId"), params.value(QStringLiteral("requestId"))}});
        return;
    }
    if (method != QLatin1String("Target.attachedToTarget"))
        return;
    const QJsonObject target = params.value(QStringLiteral("targetInfo")).toObject();
    const QString contextId = target.value(QStringLiteral("browserContextId")).toString();
    const auto watch = contexts_.constFind(contextId);
    if (watch != contexts_.constEnd() && watch->receiver &&
        target.value(QStringLiteral("type")).toString() == QLatin1String("page")) {
        pageContexts_.insert(target.value(QStringLiteral("targetId")).toString(), contextId);
        const auto handler = watch->handler;
        handler(method, params);
        return;
    }
    // Workers and pages of no session run as they would without us, and are left.
    const QString sessionId = params.value(QStringLiteral("sessionId")).toString();
    pipe_.send(QStringLiteral("Runtime.runIfWaitingForDebugger"), {}, sessionId);
    pipe_.send(QStringLiteral("Target.detachFromTarget"),
               {{QStringLiteral("sessionId"), sessionId}});
}

bool ChromiumBrowser::reportedOutOfMemory(qint64 ms) const {
    return sinceOutOfMemory_.isValid() && sinceOutOfMemory_.elapsed() <= ms;
}

void ChromiumBrowser::readErrors() {
    const QByteArray bytes = process_.readAllStandardError();
    // Its lines go where the program's own standard error goes (nowhere without --verbose).
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t written =
            ::write(STDERR_FILENO, bytes.constData() + done, size_t(bytes.size() - done));
        if (written <= 0)
            break;
        done += written;
    }
    errorLine_ += bytes;
    qsizetype end;
    while ((end = errorLine_.indexOf('\n')) >= 0) {
        const QByteArray line = errorLine_.left(end);
        errorLine_.remove(0, end + 1);
        for (const QByteArray& mark : kOutOfMemoryMarks)
            if (line.contains(mark))
                sinceOutOfMemory_.start();
    }
}

void ChromiumBrowser::fail(const QString& why, bool endedAtStart) {
    if (over_)
        return;
    over_ = true;
    if (startWait_)
        startWait_->stop();
    emit failedToStart(why, endedAtStart);
}

void ChromiumBrowser::killGroup() {
    // The browser leads its process group: its zygotes and page processes are in it.
    if (groupId_ > 0)
        ::kill(-groupId_, SIGKILL);
}

} // namespace velcaro
