#pragma once

#include <QString>
#include <sys/types.h>

namespace velcaro {

// A folder of the system's temporary folder that only its owner can enter (0700), removed with
// everything in it when the object goes.
class PrivateFolder {
public:
    PrivateFolder() = default;
    ~PrivateFolder();
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;

    // Makes the folder, named from `prefix`, and gives it to `owner`, `group` (as root);
    // false when it cannot be made.
    bool make(const QString& prefix, uid_t owner, gid_t group);
    QString path() const { return path_; }

private:
    QString path_;
};

} // namespace velcaro
