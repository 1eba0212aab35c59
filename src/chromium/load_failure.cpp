#include "chromium/load_failure.h"

#include <QHash>

namespace velcaro {

PageError loadFailureOf(const QString& errorText, bool committed) {
    static const QHash<QString, PageError> kinds{
        {QStringLiteral("net::ERR_NAME_NOT_RESOLVED"), PageError::NameNotResolved},
        {QStringLiteral("net::ERR_CONNECTION_REFUSED"), PageError::Refused},
        {QStringLiteral("net::ERR_CONNECTION_RESET"), PageError::Reset},
        {QStringLiteral("net::ERR_CONNECTION_CLOSED"), PageError::Reset},
        {QStringLiteral("net::ERR_EMPTY_RESPONSE"), PageError::Reset},
        {QStringLiteral("net::ERR_TIMED_OUT"), PageError::TimedOut},
        {QStringLiteral("net::ERR_CONNECTION_TIMED_OUT"), PageError::TimedOut},
    };
    // A download, or a file the browser does not show, ends the navigation as aborted.
    if (errorText == QLatin1String("net::ERR_ABORTED"))
        return committed ? PageError::None : PageError::NotAPage;
    return kinds.value(errorText, PageError::Other);
}

} // namespace velcaro
