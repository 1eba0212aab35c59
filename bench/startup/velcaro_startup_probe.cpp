// Starts Velcaro as a user does and quits once the browser window is shown and the first
// pending events are processed, so the lifetime of the process is its start-up time.
#include "app/startup.h"

#include <QCoreApplication>
#include <QTimer>

int main(int argc, char** argv) {
    return velcaro::runVelcaro(argc, argv,
                               [] { QTimer::singleShot(0, qApp, &QCoreApplication::quit); });
}
