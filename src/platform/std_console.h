#pragma once

#include "platform/console.h"

#include <QString>
#include <cstdio>

namespace velcaro {

// `text` without control characters but line ends and tabs: what a page chose (its title,
// its messages, the addresses its sitemap names) may not clear the screen, move the cursor
// or set the terminal's title.
QString printable(const QString& text);

// An address as a report line shows it: its control characters, line and paragraph
// separators and direction overrides (a sitemap may put any of them in an address) written as
// percent-encoded UTF-8, so that it stays one address on its own line, read as it is.
QString printableAddress(const QString& address);

// Console over the C streams; the status line is drawn only when standard error is a
// terminal.
class StdConsole : public Console {
public:
    StdConsole(std::FILE* out = stdout, std::FILE* err = stderr);

    void output(const QByteArray& bytes) override;
    void report(const QString& line) override;
    void status(const QString& text) override;

private:
    void clearStatus();

    std::FILE* out_;
    std::FILE* err_;
    bool terminal_;
    bool statusShown_ = false;
};

} // namespace velcaro
