#pragma once

#include <QString>
#include <QUrl>
#include <functional>

namespace velcaro {

// An address as the user typed it (in the address box, on the command line, in a capture's
// list), read as a browser's address bar would: a path of an existing local file (absolute,
// "~/...", or relative to the working folder) is that file, an address with a scheme stays
// as it is, and an address without one is a site, reached over http.
struct TypedAddress {
    enum class Kind { LocalFile, Web, Other };

    Kind kind = Kind::Other;
    QUrl url;
    // The absolute, clean path when the address was typed as a path, not as a URL.
    QString path;
};

// How far a relative path that does not exist is still read as a local file.
struct AddressReading {
    // The window reads "pagina.html" that does not exist as a site, as an address bar does.
    // The capture, whose addresses are mostly files, reads as a missing local file a path that
    // starts at this folder or its parent, whose first folder exists, or that is a bare page
    // name ("pagina.html"), so that a mistyped file is reported and not looked up as a site.
    bool missingPathsAreLocal = false;
};

// Whether a path names something on the file system.
using PathExists = std::function<bool(const QString& path)>;
bool pathExists(const QString& path);

TypedAddress readAddress(const QString& typed, const QString& workingFolder,
                         const PathExists& exists, AddressReading reading = {});

} // namespace velcaro
