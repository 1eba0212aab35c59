#pragma once

#include "platform/background_writer.h"
#include "platform/text_recovery.h"

#include <QLockFile>
#include <QString>
#include <memory>

namespace velcaro {

// TextRecovery in a folder of the user's data. Each run keeps its text in a file of its own,
// NAME.txt, and holds the lock NAME.lock while it runs (QLockFile), so that another run of the
// program never takes a text whose run is still going. A text whose run has ended is taken by
// renaming it NAME.offered, and its lock is held while the user is asked; it is renamed into
// the taking run's file when restored, removed when dropped. A text whose offering run ended
// before the answer is offered again at the next start (NAME.offered-2, then -3), three
// times in all; one too long to offer is renamed NAME.troppo-lungo.txt and left there.
//
// The folder and its files are the user's alone (0700, 0600), whatever the umask; those an
// earlier version made readable by all are tightened at the first use. A left text is offered
// only when it is a regular file of this user, opened without following a link; anything else
// is left as it is. The kept text is written without following a link (writePrivateFile).
class RecoveryFolder : public TextRecovery {
public:
    // Nothing is read or made on disk before the first use. `write`, when given, replaces how
    // the kept text reaches its file (BackgroundWriter).
    explicit RecoveryFolder(const QString& folder, BackgroundWriter::Write write = {});
    ~RecoveryFolder() override;

    std::optional<LeftText> takeLeftText(qint64 maxBytes) override;
    void restoreLeftText() override;
    void dropLeftText() override;
    void keep(const QString& text) override;
    void keepNow(const QString& text) override;
    void discard() override;

    // This run's file.
    QString keptPath() const { return writer_.path(); }

private:
    // Takes this run's lock, making the folder when missing.
    void lock();

    QString folder_;
    QString name_;
    std::unique_ptr<QLockFile> lock_;
    BackgroundWriter writer_;
    QString offered_;
    std::unique_ptr<QLockFile> offeredLock_;
};

} // namespace velcaro
