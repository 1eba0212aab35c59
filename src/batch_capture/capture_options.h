#pragma once

#include <QString>
#include <QStringList>

namespace velcaro {

// What `velcaro --capture` was asked to do.
struct CaptureOptions {
    enum class Format { Text, Rtf, Markdown };

    // The addresses as given (a list read from standard input already in their place), read
    // as GO reads them.
    QStringList addresses;
    Format format = Format::Text;
    // A file (one address) or a folder; empty for standard output (one address).
    QString output;
    // Existing files may be replaced.
    bool force = false;
    // Only the main text of each page (the whole page when a page has none).
    bool mainText = false;
    // Time given to a page after its load has finished, for the scripts that change it then.
    int settleMs = kDefaultSettleMs;
    // Time a page has to load before it fails.
    int timeoutSeconds = kDefaultTimeoutSeconds;
    // Pages loaded at once.
    int jobs = 1;
    // The folder relative addresses and the output are read against.
    QString workingFolder;

    static constexpr int kDefaultSettleMs = 300;
    static constexpr int kDefaultTimeoutSeconds = 60;
    static constexpr int kMaxJobs = 32;
};

} // namespace velcaro
