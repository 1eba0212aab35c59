#include "platform/typed_address.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace velcaro {
namespace {

// "~" and "~/..." are in the home folder; "~name" is not (it names another user's home to a
// shell) and is read as any other address.
bool isHomeRelative(const QString& address) {
    return address == QLatin1String("~") || address.startsWith(QLatin1String("~/"));
}

bool startsHereOrAbove(const QString& address) {
    return address.startsWith(QLatin1String("./")) || address.startsWith(QLatin1String("../"));
}

// A file name a site's name never has.
bool isPageFileName(const QString& address) {
    static const QRegularExpression name(QStringLiteral("\\.(html?|xhtml|shtml|txt)$"),
                                         QRegularExpression::CaseInsensitiveOption);
    return name.match(address).hasMatch();
}

// The path a relative address names in `workingFolder`, or an empty text when it is no path.
QString relativePath(const QString& address, const QString& workingFolder, const PathExists& exists,
                     AddressReading reading) {
    const QString path = QDir::cleanPath(QDir(workingFolder).absoluteFilePath(address));
    if (reading.missingPathsAreLocal && startsHereOrAbove(address))
        return path;
    if (address.contains(u':'))
        return {};
    if (exists(path))
        return path;
    if (!reading.missingPathsAreLocal)
        return {};
    const bool local = address.contains(u'/')
                           ? exists(QDir(workingFolder).filePath(address.section(u'/', 0, 0)))
                           : isPageFileName(address);
    return local ? path : QString();
}

} // namespace

bool pathExists(const QString& path) {
    return QFileInfo::exists(path);
}

TypedAddress readAddress(const QString& typed, const QString& workingFolder,
                         const PathExists& exists, AddressReading reading) {
    TypedAddress address;
    if (typed.startsWith(u'/'))
        address.path = QDir::cleanPath(typed);
    else if (isHomeRelative(typed))
        address.path = QDir::cleanPath(QDir::homePath() + typed.mid(1));
    else if (!typed.isEmpty())
        address.path = relativePath(typed, workingFolder, exists, reading);
    address.url =
        address.path.isEmpty() ? QUrl::fromUserInput(typed) : QUrl::fromLocalFile(address.path);
    if (address.url.isLocalFile())
        address.kind = TypedAddress::Kind::LocalFile;
    else if (address.url.scheme() == QLatin1String("http") ||
             address.url.scheme() == QLatin1String("https"))
        address.kind = TypedAddress::Kind::Web;
    return address;
}

} // namespace velcaro
