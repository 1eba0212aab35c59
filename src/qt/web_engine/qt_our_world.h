#pragma once

#include <QString>
#include <QVariant>

class QWebEnginePage;

namespace velcaro {

// Runs `script` in the program's own script world of `page`, where the page's scripts can
// neither see it nor replace what it calls, and waits for its value in a nested event loop,
// at most `timeoutMs`; an invalid value when none came in time or the page went away. An
// answer that comes after the wait has given up is dropped.
QVariant runInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs);

} // namespace velcaro
