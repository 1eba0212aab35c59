#pragma once

#include <QString>

namespace velcaro {

// The application record: the title of every message box and the version.
struct AppRecord {
    static QString title() { return QStringLiteral("RadovovUrivadu"); }
    static QString version() { return QStringLiteral("1.00"); }
    static QString windowTitle() { return QStringLiteral("Velcaro"); }
};

} // namespace velcaro
