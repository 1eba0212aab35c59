// The baseline of the start-up benchmark: a minimal Qt Widgets window, started and ended
// the same way as the Velcaro probe.
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    QMenu* menu = window.menuBar()->addMenu(QStringLiteral("&File"));
    menu->addAction(QStringLiteral("&Quit"), &app, &QCoreApplication::quit);
    window.setCentralWidget(new QLineEdit(&window));
    window.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return QApplication::exec();
}
