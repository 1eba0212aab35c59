#include "qt/web_engine/qt_page_copier.h"

#include "platform/velcaro_error.h"

#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QWebEngineView>

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

bool holdsPageCopy(const QMimeData* data) {
    return data && (data->hasText() || data->hasHtml());
}

} // namespace

void QtPageCopier::selectAll(QWebEngineView& view) {
    FocusLender lend(view);
    view.triggerPageAction(QWebEnginePage::SelectAll);
}

void QtPageCopier::copy(QWebEngineView& view) {
    QPointer<QWebEngineView> alive(&view);
    FocusLender lend(view);
    QWebEnginePage* page = view.page();
    if (!waitFor(
            page, &QWebEnginePage::selectionChanged, [&] { return alive && view.hasSelection(); },
            view, kSelectionWaitMs))
        throw VelcaroError(error::kCopyFailed,
                           QStringLiteral("La pagina non contiene testo da copiare."));

    // Only a change of the clipboard after the copy counts: what it held before may be text.
    QClipboard* clipboard = QGuiApplication::clipboard();
    bool changed = false;
    const QMetaObject::Connection watch =
        QObject::connect(clipboard, &QClipboard::dataChanged,
                         [&] { changed = holdsPageCopy(clipboard->mimeData()); });
    view.triggerPageAction(QWebEnginePage::Copy);
    const bool copied = waitFor(
        clipboard, &QClipboard::dataChanged, [&] { return changed; }, view, kCopyWaitMs);
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
