#include "chromium/private_folder.h"

#include <QDir>
#include <unistd.h>

namespace velcaro {

PrivateFolder::~PrivateFolder() {
    if (!path_.isEmpty())
        QDir(path_).removeRecursively();
}

bool PrivateFolder::make(const QString& prefix, uid_t owner, gid_t group) {
    QByteArray name = QFile::encodeName(QDir::tempPath() + u'/' + prefix + "-XXXXXX");
    // mkdtemp makes it 0700.
    if (!::mkdtemp(name.data()))
        return false;
    path_ = QFile::decodeName(name);
    return (owner == ::getuid() && group == ::getgid()) ||
           ::chown(name.constData(), owner, group) == 0;
}

} // namespace velcaro
