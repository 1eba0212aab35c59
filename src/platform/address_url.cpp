#include "platform/address_url.h"

#include <QDir>
#include <QFileInfo>

namespace velcaro {

QUrl addressToUrl(const QString& address, const QString& workingDirectory) {
    if (address.startsWith(u'/') || address.startsWith(u'~'))
        return QUrl::fromLocalFile(QDir::cleanPath(
            address.startsWith(u'~') ? QDir::homePath() + address.mid(1) : address));
    const QFileInfo relative(QDir(workingDirectory), address);
    if (!address.contains(u':') && relative.exists())
        return QUrl::fromLocalFile(relative.absoluteFilePath());
    return QUrl::fromUserInput(address);
}

} // namespace velcaro
