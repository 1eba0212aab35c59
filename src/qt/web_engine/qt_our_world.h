#pragma once

#include <QString>
#include <QVariant>
#include <functional>

class QObject;
class QWebEnginePage;

namespace velcaro {

// Runs `script` in the program's own script world of `page`, where the page's scripts can
// neither see it nor replace what it calls, and hands its value to `answered` once: the value,
// or an invalid one when none came within `timeoutMs`. An answer that comes after that is
// dropped, and nothing runs once `receiver` is deleted.
void askInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs, QObject* receiver,
                   std::function<void(const QVariant&)> answered);

// The same, waited for in a nested event loop: the value, or an invalid one when none came in
// time or the page went away.
QVariant runInOurWorld(QWebEnginePage& page, const QString& script, int timeoutMs);

} // namespace velcaro
