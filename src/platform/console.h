#pragma once

#include <QByteArray>
#include <QString>

namespace velcaro {

// Standard output and standard error of a program run from a terminal or a script.
class Console {
public:
    virtual ~Console() = default;

    // Writes `bytes` as they are to standard output; throws VelcaroError when it cannot.
    virtual void output(const QByteArray& bytes) = 0;
    // Writes one line to standard error.
    virtual void report(const QString& line) = 0;
    // Shows `text` as the last line of a terminal, replaced by the next status or report;
    // where standard error is not a terminal, nothing.
    virtual void status(const QString& text) = 0;
};

} // namespace velcaro
