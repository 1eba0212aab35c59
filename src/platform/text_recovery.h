#pragma once

#include <QString>
#include <optional>

namespace velcaro {

// The text a run left behind, offered at the next start.
struct LeftText {
    QString text;
    // Set when the text was longer than the start could open (`text` is then empty): the file
    // it stays in, no longer offered, and its size in bytes.
    QString tooLongPath = {};
    qint64 tooLongBytes = 0;
};

// Keeps the text of the captured-text window on disk while the window holds it, so that a
// crash, a kill or the end of the session does not lose it, and hands it to the next start.
class TextRecovery {
public:
    virtual ~TextRecovery() = default;

    // The text of a run that ended with its captured-text window open, taken for this run:
    // a later call does not find it again, nor does another start while this run has not
    // answered. A text of more than `maxBytes` is not read: it is set aside, kept on disk
    // and never offered again.
    virtual std::optional<LeftText> takeLeftText(qint64 maxBytes) = 0;
    // The answer to the offer of the left text: it is back in the window and becomes this
    // run's kept text, or it is thrown away.
    virtual void restoreLeftText() = 0;
    virtual void dropLeftText() = 0;

    // Keeps `text` as this run's, replacing the kept one atomically, without waiting for the
    // write.
    virtual void keep(const QString& text) = 0;
    // The same, returning once the text is written: the program is about to end.
    virtual void keepNow(const QString& text) = 0;
    // The window was closed: its kept text goes.
    virtual void discard() = 0;
};

} // namespace velcaro
