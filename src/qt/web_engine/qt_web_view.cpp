#include "qt/web_engine/qt_web_view.h"

#include "qt/web_engine/qt_guarded_page.h"
#include "qt/web_engine/qt_page_context_menu.h"

#include <QChildEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

namespace velcaro {

void QtWebView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose, true);
    adaptPageContextMenu(*menu, *page());
    connect(menu, &QMenu::triggered, this, &QtWebView::noteUserAction);
    menu->popup(event->globalPos());
}

void QtWebView::childEvent(QChildEvent* event) {
    // The page is drawn, and takes the input, in a child widget the engine adds.
    if (event->added() && event->child()->isWidgetType())
        event->child()->installEventFilter(this);
    QWebEngineView::childEvent(event);
}

bool QtWebView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease)
        noteUserAction();
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
            noteUserAction();
    }
    return QWebEngineView::eventFilter(watched, event);
}

void QtWebView::noteUserAction() {
    if (auto* guarded = qobject_cast<QtGuardedPage*>(page()))
        guarded->noteUserAction();
}

} // namespace velcaro
