#include "qt/qt_key_filters.h"

#include <QAction>
#include <QKeyEvent>
#include <QWidget>

namespace velcaro {

MenuShortcutFilter::MenuShortcutFilter(QWidget* window, QObject* parent)
    : QObject(parent), window_(window) {}

bool MenuShortcutFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::ShortcutOverride)
        return QObject::eventFilter(watched, event);
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    const auto actions = window_->findChildren<QAction*>();
    for (const QAction* action : actions) {
        if (action->isEnabled() && action->shortcut() == pressed) {
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

KeyPressFilter::KeyPressFilter(std::function<void(std::int16_t&)> onKeyPress, QObject* parent)
    : QObject(parent), onKeyPress_(std::move(onKeyPress)) {}

bool KeyPressFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        std::int16_t keyAscii = 0;
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
            keyAscii = 13;
        else if (!key->text().isEmpty())
            keyAscii = static_cast<std::int16_t>(key->text().at(0).unicode());
        if (keyAscii != 0)
            onKeyPress_(keyAscii);
    }
    return QObject::eventFilter(watched, event);
}

} // namespace velcaro
