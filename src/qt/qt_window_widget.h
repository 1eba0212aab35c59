#pragma once

#include <QMainWindow>
#include <functional>

namespace velcaro {

// The top-level widget of a window: its central widget is the client area. It reports
// every change of the client area's size or of the window state, and the close box.
class QtWindowWidget : public QMainWindow {
    Q_OBJECT
public:
    explicit QtWindowWidget(const QString& objectName);

    QWidget* client() const { return client_; }

    // The controls of the client area take the font of the system's family at `points`: their
    // sizes are designed, and a larger system font would not fit them. Points follow the
    // screen's logical DPI as twips do.
    void setControlFontSize(double points);

    std::function<void()> onResize;
    std::function<void()> onClose;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Keeps the window inside the free area of its screen (panels excluded), when the program
    // shows it and once the window manager has placed it: a window larger than that area is
    // made smaller, one that lies partly outside it is moved in. A frame the window manager has
    // not drawn yet counts as nothing.
    void fitToScreen();

    QWidget* client_;
    // From a showing until the window manager has placed the window.
    bool placing_ = false;
};

} // namespace velcaro
