#pragma once

#include <QString>
#include <functional>

namespace velcaro {

// The folder the default save names point into. The application folder is kept where the
// user can write into it (the build tree, a portable copy); an installed program's folder is
// not the user's, so the documents folder takes its place, created when missing, and the home
// folder when there is no documents folder or it cannot be made.
class DefaultSaveFolder {
public:
    using IsWritable = std::function<bool(const QString& folder)>;

    DefaultSaveFolder(QString documentsFolder, QString homeFolder,
                      IsWritable isWritable = &writableByUser);

    QString forApplicationFolder(const QString& applicationFolder) const;

    // Whether the user may create files in `folder`.
    static bool writableByUser(const QString& folder);

private:
    QString documentsFolder_;
    QString homeFolder_;
    IsWritable isWritable_;
};

} // namespace velcaro
