#include "platform/address_url.h"

#include <QDir>
#include <QFileInfo>

namespace velcaro {

namespace {

// "~" and "~/..." are in the home folder; "~name" is not (it names another user's home to a
// shell) and is read as any other address.
bool isHomeRelative(const QString& address) {
    return address == QLatin1String("~") || address.startsWith(QLatin1String("~/"));
}

} // namespace

QUrl addressToUrl(const QString& address, const QString& workingDirectory) {
    if (address.startsWith(u'/'))
        return QUrl::fromLocalFile(QDir::cleanPath(address));
    if (isHomeRelative(address))
        return QUrl::fromLocalFile(QDir::cleanPath(QDir::homePath() + address.mid(1)));
    const QFileInfo relative(QDir(workingDirectory), address);
    if (!address.contains(u':') && relative.exists())
        return QUrl::fromLocalFile(relative.absoluteFilePath());
    return QUrl::fromUserInput(address);
}

} // namespace velcaro
