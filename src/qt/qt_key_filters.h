#pragma once

#include <QObject>
#include <cstdint>
#include <functional>

namespace velcaro {

// Gives the shortcuts of a window's menu items precedence over the keys of one of its
// controls: a line edit claims Ctrl+C for its own copy, and the menu's Ctrl+C must win.
class MenuShortcutFilter : public QObject {
public:
    explicit MenuShortcutFilter(QWidget* window, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* window_;
};

// Reports every character typed into a control as a KeyAscii code (Enter is 13) before the
// control handles the key. The key itself is never cancelled.
class KeyPressFilter : public QObject {
public:
    KeyPressFilter(std::function<void(std::int16_t&)> onKeyPress, QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void(std::int16_t&)> onKeyPress_;
};

} // namespace velcaro
