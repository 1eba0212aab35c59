#include "platform/local_page_rule.h"

#include <QDir>
#include <QFileInfo>

namespace velcaro {

bool localPageMayLoad(const QUrl& page, const QUrl& target) {
    if (!page.isLocalFile() || !target.isLocalFile())
        return false;
    // Both sides with their links followed: a link in the folder that leads out of it, or a
    // path with "..", ends outside.
    const QDir folder(QDir(QFileInfo(page.toLocalFile()).absolutePath()).canonicalPath());
    const QFileInfo file(target.toLocalFile());
    const QString resolved = file.canonicalFilePath();
    if (folder.path().isEmpty() || resolved.isEmpty() || file.isDir())
        return false;
    const QString inside = folder.relativeFilePath(resolved);
    if (inside == QLatin1String("..") || inside.startsWith(QLatin1String("../")))
        return false;
    for (const QString& name : inside.split(QLatin1Char('/')))
        if (name.startsWith(QLatin1Char('.')))
            return false;
    return true;
}

} // namespace velcaro
