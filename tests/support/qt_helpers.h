#pragma once

// Helpers for tests that drive the real Qt bindings.

#include "app/qt_platform.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <functional>

namespace velcaro::testing {

// The real Qt platform, but with a message box that records instead of blocking, and an
// end of the program that is only counted.
class RecordingQtPlatform : public QtPlatform {
public:
    FakeMessageBox messages;
    int quits = 0;

    MessageBox& messageBox() override { return messages; }
    void quit() override { ++quits; }
};

// Once a visible top-level widget that `matches` appears (a modal dialog opened by the code
// under test), runs `act` on it. Polls until `timeoutMs`.
inline void whenWidgetAppears(std::function<bool(QWidget*)> matches,
                              std::function<void(QWidget*)> act, int timeoutMs = 30000) {
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, matches, act, timeoutMs] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && matches(w)) {
                timer->stop();
                timer->deleteLater();
                delete clock;
                act(w);
                return;
            }
        }
        if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
            delete clock;
        }
    });
    timer->start(50);
}

// The same for a widget of type T.
template <typename T> void whenDialogAppears(std::function<void(T*)> act, int timeoutMs = 30000) {
    whenWidgetAppears([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                      [act](QWidget* w) { act(qobject_cast<T*>(w)); }, timeoutMs);
}

// The same for a widget with the given object name.
inline void whenWindowAppears(const QString& name, std::function<void(QWidget*)> act,
                              int timeoutMs = 30000) {
    whenWidgetAppears([name](QWidget* w) { return w->objectName() == name; }, std::move(act),
                      timeoutMs);
}

// The web engine's view inside `parent`, or null while no page was asked for. The tests reach
// it through Qt's meta-object system only, so that they do not link the engine and load it
// the way the program does, from its module.
inline QWidget* engineView(QWidget* parent) {
    for (QWidget* w : parent->findChildren<QWidget*>())
        if (w->inherits("QWebEngineView"))
            return w;
    return nullptr;
}

// Waits for the page of `view` to finish loading; false on a failed load or a time-out.
inline bool waitForLoad(QWidget* view, int timeoutMs = 60000) {
    QSignalSpy loaded(view, SIGNAL(loadFinished(bool)));
    return loaded.wait(timeoutMs) && loaded.first().first().toBool();
}

// Finds the visible top-level widget with the given object name.
inline QWidget* topLevel(const QString& name) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// The labels, buttons and text boxes of `window` whose text does not fit inside them, by
// object name: wider than a label, than a button less its margins, or taller than a text box
// less its frame.
inline QStringList cutCaptions(QWidget* window) {
    QStringList cut;
    for (QLabel* label : window->findChildren<QLabel*>())
        if (QFontMetrics(label->font()).horizontalAdvance(label->text()) > label->width())
            cut << label->objectName();
    for (QPushButton* button : window->findChildren<QPushButton*>()) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        if (QFontMetrics(button->font()).horizontalAdvance(button->text()) >
            button->width() - 2 * margin)
            cut << button->objectName();
    }
    for (QLineEdit* edit : window->findChildren<QLineEdit*>()) {
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        if (QFontMetrics(edit->font()).height() > edit->height() - 2 * frame)
            cut << edit->objectName();
    }
    return cut;
}

// What a screen reader says for `object`.
inline QString accessibleName(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface ? iface->text(QAccessible::Name) : QString();
}

// The controls a screen reader reaches under `iface` (buttons, text fields, tool bars, progress
// bars and the like) that have no name, by role and object name.
inline QStringList unnamedControls(QAccessibleInterface* iface) {
    static const QAccessible::Role controls[] = {
        QAccessible::PushButton,   QAccessible::CheckBox,    QAccessible::RadioButton,
        QAccessible::EditableText, QAccessible::ProgressBar, QAccessible::ToolBar,
        QAccessible::ComboBox,     QAccessible::SpinBox,     QAccessible::Slider};
    QStringList unnamed;
    if (std::find(std::begin(controls), std::end(controls), iface->role()) != std::end(controls) &&
        iface->text(QAccessible::Name).isEmpty())
        unnamed << QStringLiteral("%1 %2")
                       .arg(iface->role())
                       .arg(iface->object() ? iface->object()->objectName() : QString());
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i))
            unnamed << unnamedControls(child);
    return unnamed;
}

inline QStringList unnamedControls(QObject* root) {
    return unnamedControls(QAccessible::queryAccessibleInterface(root));
}

} // namespace velcaro::testing
