#include "qt/web_engine/qt_web_view.h"

#include "qt/web_engine/qt_page_context_menu.h"

#include <QContextMenuEvent>
#include <QMenu>

namespace velcaro {

void QtWebView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose, true);
    adaptPageContextMenu(*menu, *page());
    menu->popup(event->globalPos());
}

} // namespace velcaro
