#pragma once

#include <QString>

namespace velcaro {

// The application record: the title of every message box, the version, and the program's
// name as the desktop shows it (window titles, the application's name, --version).
struct AppRecord {
    static QString title() { return QStringLiteral("RadovovUrivadu"); }
    static QString version() { return QStringLiteral("1.00"); }
    static QString windowTitle() { return QStringLiteral("Velcaro"); }
};

} // namespace velcaro
