#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QUrl>

namespace velcaro {

// File names for the pages of a capture into a folder: made from the address (a local
// file's own name; a site's host and path), safe on any file system, and unique within the
// run, later ones numbered "-2", "-3"...
class OutputNames {
public:
    explicit OutputNames(QString extension);

    QString take(const QUrl& url);

    // Longest name kept, in UTF-8 bytes, extension and number included: well below the
    // 255 bytes file systems allow.
    static constexpr int kMaxNameBytes = 200;

private:
    QString extension_;
    QSet<QString> taken_;
    QHash<QString, int> lastNumber_;
};

// The part of a page's file name that comes from its address, without an extension.
QString outputStem(const QUrl& url);

} // namespace velcaro
