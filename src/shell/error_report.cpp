#include "shell/error_report.h"

#include "platform/message_box.h"
#include "platform/velcaro_error.h"

#include <cstdio>
#include <new>

namespace velcaro {

bool ErrorReport::attempt(const std::function<void()>& handler, int& number,
                          QString& description) noexcept {
    try {
        handler();
        return true;
    } catch (const VelcaroError& e) {
        number = e.number();
        description = e.description();
    } catch (const std::bad_alloc&) {
        number = error::kOutOfMemory;
        description = QStringLiteral("Memoria insufficiente.");
    } catch (const std::exception& e) {
        number = error::kInternal;
        description = QStringLiteral("Errore interno: %1").arg(QString::fromUtf8(e.what()));
    }
    return false;
}

void ErrorReport::run(const std::function<void()>& handler) noexcept {
    int number = 0;
    QString description;
    if (!attempt(handler, number, description))
        report(number, description);
}

bool ErrorReport::runOrPrint(const std::function<void()>& handler) noexcept {
    int number = 0;
    QString description;
    if (attempt(handler, number, description))
        return true;
    std::fprintf(stderr, "%s\n", qUtf8Printable(text(number, description)));
    return false;
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
