#include "qt/web_engine/qt_page_copier.h"

#include "platform/velcaro_error.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QWebEngineScript>
#include <QWebEngineView>
#include <memory>

namespace velcaro {
namespace {

// Gives the view the keyboard focus for the lifetime of the object, then returns it to the
// widget that had it.
class FocusLender {
public:
    explicit FocusLender(QWebEngineView& view) : previous_(QApplication::focusWidget()) {
        view.setFocus(Qt::OtherFocusReason);
    }
    ~FocusLender() {
        if (previous_)
            previous_->setFocus(Qt::OtherFocusReason);
    }

private:
    QPointer<QWidget> previous_;
};

// Runs a nested event loop until `done` turns true, the view goes away or the time is up.
template <typename Sender, typename Signal>
bool waitFor(Sender* sender, Signal signal, const std::function<bool()>& done, QWebEngineView& view,
             int timeoutMs) {
    if (done())
        return true;
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return done();
}

// Run in a world of our own, where the page's scripts cannot replace what it calls: takes
// the focus from the focused element (a field, a text area, an editable block, or a frame,
// which keeps the focus of its own fields) and drops a selection left inside it, so that
// select-all selects the page and not the inside of that element; gives the length of the
// page's text.
const char kReleaseFocus[] = R"(
(function () {
    var active = document.activeElement;
    if (active && active !== document.body && typeof active.blur === 'function')
        active.blur();
    window.getSelection().removeAllRanges();
    return document.body ? document.body.textContent.length : 0;
})()
)";

bool holdsPageCopy(const QMimeData* data) {
    return data && (data->hasText() || data->hasHtml());
}

} // namespace

void QtPageCopier::selectAll(QWebEngineView& view) {
    FocusLender lend(view);
    QPointer<QWebEngineView> alive(&view);
    // The answer may come after the wait has given up: it then finds no loop to end.
    struct Answer {
        bool received = false;
        double chars = 0;
        QEventLoop* loop = nullptr;
    };
    const auto answer = std::make_shared<Answer>();
    view.page()->runJavaScript(QString::fromLatin1(kReleaseFocus),
                               QWebEngineScript::ApplicationWorld, [answer](const QVariant& v) {
                                   answer->received = true;
                                   answer->chars = v.toDouble();
                                   if (answer->loop)
                                       answer->loop->quit();
                               });
    if (!answer->received) {
        QEventLoop loop;
        answer->loop = &loop;
        QObject::connect(&view, &QObject::destroyed, &loop, &QEventLoop::quit);
        QTimer::singleShot(kScriptWaitMs, &loop, &QEventLoop::quit);
        loop.exec();
        answer->loop = nullptr;
    }
    pageChars_ = answer->chars;
    if (alive)
        view.triggerPageAction(QWebEnginePage::SelectAll);
}

void QtPageCopier::copy(QWebEngineView& view) {
    QPointer<QWebEngineView> alive(&view);
    FocusLender lend(view);
    // The copy follows the select-all on the same channel to the page, so it copies what the
    // select-all selected. The engine's selection notice is no sign to wait for: the page's
    // process leaves it out when the text selected equals the text it last reported, as on a
    // page loaded again or on a second page with the same text.
    // Only a change of the clipboard after the copy counts: what it held before may be text.
    QClipboard* clipboard = QGuiApplication::clipboard();
    bool changed = false;
    const QMetaObject::Connection watch =
        QObject::connect(clipboard, &QClipboard::dataChanged,
                         [&] { changed = holdsPageCopy(clipboard->mimeData()); });
    view.triggerPageAction(QWebEnginePage::Copy);
    // A page that cancels the copy leaves the clipboard as it was: the wait ends in seconds.
    const int waitMs =
        static_cast<int>(qMin<double>(kCopyMaxWaitMs, kCopyBaseWaitMs + pageChars_ / kCharsPerMs));
    const bool copied = waitFor(
        clipboard, &QClipboard::dataChanged, [&] { return changed; }, view, waitMs);
    QObject::disconnect(watch);
    if (!copied || !alive)
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La copia della pagina negli appunti non è riuscita."));
}

void QtPageCopier::clearSelection(QWebEngineView& view) {
    FocusLender lend(view);
    view.triggerPageAction(QWebEnginePage::Unselect);
}

} // namespace velcaro
