#pragma once

#include "platform/capture_engine.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSize>

namespace velcaro {

class ChromiumBrowser;

// The capture engine on the system's Chromium (Debian's package, updated with every security
// release), driven headless over its DevTools pipe.
//
// Its pages go into one browser at a time, renewed after kSessionsPerBrowser sessions to bound
// its memory (the old one ends once its last session has gone). A browser that ends on its own
// (it crashed, or was killed) ends its sessions with ProcessEnded, and the next ones go into a
// new one. Its sandbox is on; where the system cannot give it one, it runs without, and note()
// says so.
class ChromiumEngine : public QObject, public CaptureEngine {
    Q_OBJECT
public:
    // `pageArea`: the size pages are laid out in, in pixels.
    explicit ChromiumEngine(QSize pageArea, const QString& program = defaultProgram());
    ~ChromiumEngine() override;

    // The browser's binary (/usr/bin/chromium is a launcher script that adds flags of its own).
    static QString defaultProgram();
    static bool installed(const QString& program = defaultProgram());
    // "Chromium 156.0.8078.129", asked of the binary itself (for `velcaro --version`, before
    // any event loop runs); empty when it does not answer.
    static QString installedVersion(const QString& program = defaultProgram());

    QString description() const override;
    void start(std::function<void(const QString& failure)> ready) override;
    QString note() const override { return note_; }
    QString userAgent() const override { return userAgent_; }
    std::unique_ptr<PageSession> openSession() override;

    // The process id of the browser new sessions go into, 0 before it runs.
    qint64 browserProcessId() const;

    // For the sessions: `ready` runs with the browser the session's page goes into once it
    // runs, or with none when it could not start; `returnBrowser` when the session goes.
    void lendBrowser(QObject* session, std::function<void(ChromiumBrowser*)> ready);
    void returnBrowser(ChromiumBrowser* browser);

    // 3,000 light local pages in one browser kept its processes at 0.8 to 1.0 GB resident from
    // the 250th page on; real pages grow its caches, and a new browser costs about 0.5 s, a
    // millisecond a page at this count.
    static constexpr int kSessionsPerBrowser = 500;

private:
    void launch();
    void launched(ChromiumBrowser* browser);
    void failedToStart(ChromiumBrowser* browser, const QString& why, bool endedAtStart);
    void retire(ChromiumBrowser* browser);

    QSize pageArea_;
    QString program_;
    bool sandbox_ = true;
    QString note_;
    QString product_;
    QString userAgent_;
    std::function<void(const QString&)> ready_;
    // The browser new sessions go into, and how many it has had.
    QPointer<ChromiumBrowser> current_;
    int lent_ = 0;
    // Sessions alive in each browser, the current one and the retired ones.
    QHash<ChromiumBrowser*, int> sessions_;
    struct Waiting {
        QPointer<QObject> session;
        std::function<void(ChromiumBrowser*)> ready;
    };
    QList<Waiting> waiting_;
};

} // namespace velcaro
