#include "platform/default_save_folder.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>
#include <utility>

namespace velcaro {

DefaultSaveFolder::DefaultSaveFolder(QString documentsFolder, QString homeFolder,
                                     IsWritable isWritable)
    : documentsFolder_(std::move(documentsFolder)), homeFolder_(std::move(homeFolder)),
      isWritable_(std::move(isWritable)) {}

QString DefaultSaveFolder::forApplicationFolder(const QString& applicationFolder) const {
    if (isWritable_(applicationFolder))
        return applicationFolder;
    if (!documentsFolder_.isEmpty() && QDir().mkpath(documentsFolder_) &&
        QFileInfo(documentsFolder_).isDir())
        return QDir::cleanPath(documentsFolder_);
    return QDir::cleanPath(homeFolder_);
}

bool DefaultSaveFolder::writableByUser(const QString& folder) {
    return QFileInfo(folder).isDir() && access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

} // namespace velcaro
