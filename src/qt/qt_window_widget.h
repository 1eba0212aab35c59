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

    std::function<void()> onResize;
    std::function<void()> onClose;

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* client_;
};

} // namespace velcaro
