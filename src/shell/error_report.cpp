#include "shell/error_report.h"

#include "platform/message_box.h"
#include "platform/velcaro_error.h"

#include <new>

namespace velcaro {

void ErrorReport::run(const std::function<void()>& handler) noexcept {
    try {
        handler();
    } catch (const VelcaroError& e) {
        report(e.number(), e.description());
    } catch (const std::bad_alloc&) {
        report(error::kOutOfMemory, QStringLiteral("Memoria insufficiente."));
    } catch (const std::exception& e) {
        report(error::kInternal,
               QStringLiteral("Errore interno: %1").arg(QString::fromUtf8(e.what())));
    }
}

void ErrorReport::report(int number, const QString& description) noexcept {
    try {
        messageBox_.MsgBox(text(number, description));
    } catch (...) {
        qCritical("Errore %d: %s", number, qUtf8Printable(description));
    }
}

QString ErrorReport::text(int number, const QString& description) {
    return QStringLiteral("Errore %1:\n\n%2").arg(number).arg(description);
}

} // namespace velcaro
