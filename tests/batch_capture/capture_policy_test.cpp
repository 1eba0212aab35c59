// The building blocks of a capture at scale: the journal a run resumes from.

#include "batch_capture/capture_journal.h"
#include "support/qt_printers.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velcaro;

namespace {

// --- Journal ---

class Journal : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    static JournalEntry entry(const QString& address, bool ok) {
        JournalEntry e;
        e.address = address;
        e.outcome = ok ? JournalEntry::Outcome::Ok : JournalEntry::Outcome::Failed;
        e.output = ok ? QStringLiteral("out/pagina.txt") : QString();
        e.reason = ok ? QString() : QStringLiteral("il server ha risposto con l'errore HTTP 503");
        e.ms = 1234;
        e.time = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);
        return e;
    }
    void record(CaptureJournal& journal, const QString& address, bool ok) {
        QString problem;
        EXPECT_TRUE(journal.record(entry(address, ok), &problem)) << problem.toStdString();
    }
    QByteArray content() {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void setContent(const QByteArray& bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registro.jsonl"));
};

TEST_F(Journal, AReopenedJournalSkipsTheDoneAndRetriesTheFailed) {
    const QString quoted = QStringLiteral("https://例え.jp/\"citazione\"\\caffè?q=«sì»");
    {
        CaptureJournal journal;
        QString problem;
        ASSERT_TRUE(journal.open(path, &problem)) << problem.toStdString();
        record(journal, "https://a.org/ok", true);
        record(journal, "https://a.org/failed", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/twice", false);
        record(journal, "https://a.org/then-ok", false);
        record(journal, "https://a.org/then-ok", true);
        record(journal, quoted, true);
    }
    const QList<QByteArray> lines = content().split('\n');
    ASSERT_EQ(lines.size(), 8) << "one line per record and a final newline";
    const QJsonObject ok = QJsonDocument::fromJson(lines[0]).object();
    EXPECT_EQ(ok.value("outcome").toString(), "ok");
    EXPECT_EQ(ok.value("output").toString(), "out/pagina.txt");
    EXPECT_EQ(ok.value("ms").toInteger(), 1234);
    EXPECT_EQ(ok.value("time").toString(), "2024-03-01T12:00:00.000Z");
    EXPECT_FALSE(ok.contains("reason"));
    EXPECT_EQ(QJsonDocument::fromJson(lines[1]).object().value("reason").toString(),
              entry({}, false).reason);

    CaptureJournal journal;
    QString problem;
    ASSERT_TRUE(journal.open(path, &problem));
    EXPECT_TRUE(journal.done("https://a.org/ok"));
    EXPECT_TRUE(journal.done("https://a.org/then-ok"));
    EXPECT_TRUE(journal.done(quoted));
    EXPECT_FALSE(journal.done("https://a.org/failed"));
    EXPECT_FALSE(journal.done("https://a.org/never"));
    EXPECT_FALSE(journal.done("https://A.org/ok")) << "addresses are keys as given";
    EXPECT_EQ(journal.previousFailures("https://a.org/failed"), 1);
    EXPECT_EQ(journal.previousFailures("https://a.org/twice"), 2);
    EXPECT_EQ(journal.previousFailures("https://a.org/then-ok"), 0);
    EXPECT_EQ(journal.doneCount(), 3);
    EXPECT_EQ(journal.failedCount(), 2);
    record(journal, "https://a.org/failed", true);
    EXPECT_EQ(journal.doneCount(), 4);
    EXPECT_EQ(journal.failedCount(), 1);
}

TEST_F(Journal, ALineCutShortIsIgnoredAndTheNextRecordStartsOnItsOwnLine) {
    const QByteArray whole = CaptureJournal::line(entry("https://a.org/1", true)) + '\n';
    const QByteArray cut = CaptureJournal::line(entry("https://a.org/2", true));
    for (const qsizetype length : {qsizetype(1), qsizetype(8), qsizetype(30), cut.size() - 1}) {
        SCOPED_TRACE(length);
        setContent(whole + cut.left(length));
        CaptureJournal journal;
        QString problem;
        ASSERT_TRUE(journal.open(path, &problem)) << problem.toStdString();
        EXPECT_TRUE(journal.done("https://a.org/1"));
        EXPECT_FALSE(journal.done("https://a.org/2"));
        record(journal, "https://a.org/3", true);
        EXPECT_TRUE(
            content().endsWith('\n' + CaptureJournal::line(entry("https://a.org/3", true)) + '\n'));

        CaptureJournal reopened;
        ASSERT_TRUE(reopened.open(path, &problem)) << problem.toStdString();
        EXPECT_EQ(reopened.doneCount(), 2);
        EXPECT_TRUE(reopened.done("https://a.org/3"));
    }
}

TEST_F(Journal, AFileThatIsNotAJournalIsRefusedAndLeftAsItIs) {
    const QByteArray addresses = "https://a.org/1\nhttps://a.org/2\n";
    setContent(addresses);
    CaptureJournal journal;
    QString problem;
    EXPECT_FALSE(journal.open(path, &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("non è un registro di cattura")))
        << problem.toStdString();
    EXPECT_EQ(content(), addresses);

    EXPECT_FALSE(journal.open(dir.filePath("manca/registro.jsonl"), &problem));
    EXPECT_TRUE(problem.contains(QStringLiteral("la cartella non esiste")))
        << problem.toStdString();
}

} // namespace
