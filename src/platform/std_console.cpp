#include "platform/std_console.h"

#include "platform/velcaro_error.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace velcaro {

QString printable(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text)
        if (c.category() != QChar::Other_Control || c == u'\n' || c == u'\t')
            out += c;
    return out;
}

QString printableAddress(const QString& address) {
    QString out;
    out.reserve(address.size());
    for (const QChar c : address) {
        const char16_t u = c.unicode();
        const bool hidden = c.category() == QChar::Other_Control || u == 0x2028 || u == 0x2029 ||
                            (u >= 0x202a && u <= 0x202e) || (u >= 0x2066 && u <= 0x2069);
        if (!hidden) {
            out += c;
            continue;
        }
        for (const char byte : QString(c).toUtf8())
            out += QStringLiteral("%%1")
                       .arg(static_cast<uchar>(byte), 2, 16, QLatin1Char('0'))
                       .toUpper();
    }
    return out;
}

StdConsole::StdConsole(std::FILE* out, std::FILE* err)
    : out_(out), err_(err), terminal_(isatty(fileno(err)) == 1) {}

void StdConsole::output(const QByteArray& bytes) {
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), out_) !=
            static_cast<size_t>(bytes.size()) ||
        std::fflush(out_) != 0)
        throw VelcaroError(error::kInternal,
                           QStringLiteral("Impossibile scrivere sull'uscita standard: %1")
                               .arg(QString::fromLocal8Bit(std::strerror(errno))));
}

void StdConsole::report(const QString& line) {
    clearStatus();
    std::fputs(qUtf8Printable(printable(line) + u'\n'), err_);
    std::fflush(err_);
}

void StdConsole::status(const QString& text) {
    if (!terminal_)
        return;
    // Back to the start of the line, the text, and the rest of the old line erased.
    std::fputs(qUtf8Printable(QStringLiteral("\r%1\x1b[K").arg(printable(text).remove(u'\n'))),
               err_);
    std::fflush(err_);
    statusShown_ = true;
}

void StdConsole::clearStatus() {
    if (!statusShown_)
        return;
    std::fputs("\r\x1b[K", err_);
    statusShown_ = false;
}

} // namespace velcaro
