#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>
#include <vector>

namespace velcaro {

// One address of a capture, read as GO reads it, with what makes it unusable before any
// load: a local file that does not exist, a folder, a file that is not text, an address too
// long, with a null character (raw or %00) or not valid UTF-8 (read as U+FFFD).
struct CaptureTarget {
    QString address;
    // The address's position in the list given, from 0.
    int index = 0;
    QUrl url;
    // Empty when the address can be loaded.
    QString problem;
    // A crawl's page: its links' distance from the addresses given, and whether it is a PDF
    // document, taken as its text.
    int depth = 0;
    bool pdf = false;

    // Longer addresses are refused before they are read.
    static constexpr int kMaxAddressChars = 65536;
};

// A relative address that looks like a path (see AddressReading) is a local file even when
// it is missing, so that a mistyped path is reported as a missing file and not sent to the
// network as a site name.
CaptureTarget captureTarget(const QString& address, const QString& workingFolder);

// The targets of `addresses`, each page once: `repeated` counts the addresses left out because
// they name a page already listed.
std::vector<CaptureTarget> captureTargets(const QStringList& addresses,
                                          const QString& workingFolder, int* repeated);

} // namespace velcaro
