// The rtfconv tool: each command on good input, and a clear message with a non-zero exit on
// bad usage or bad input.
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun {
    int exitCode = -1;
    QString errors;
};

ToolRun rtfconv(const QStringList& args) {
    QProcess process;
    process.start(QStringLiteral(RTFCONV_PATH), args);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardError())};
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

} // namespace

TEST(Rtfconv, ConvertsEachWay) {
    QTemporaryDir dir;
    writeAll(dir.filePath("in.html"), "<p>Ciao <b>città</b></p><p>due</p>");
    ASSERT_EQ(rtfconv({"html2rtf", dir.filePath("in.html"), dir.filePath("a.rtf")}).exitCode, 0);
    EXPECT_TRUE(readAll(dir.filePath("a.rtf")).startsWith("{\\rtf1"));
    ASSERT_EQ(rtfconv({"rtf2txt", dir.filePath("a.rtf"), dir.filePath("a.txt")}).exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(readAll(dir.filePath("a.txt"))),
              QStringLiteral("Ciao città\n\ndue"));
    writeAll(dir.filePath("in.txt"), "riga è\nseconda");
    ASSERT_EQ(rtfconv({"txt2rtf", dir.filePath("in.txt"), dir.filePath("b.rtf")}).exitCode, 0);
    ASSERT_EQ(rtfconv({"rtf2txt", dir.filePath("b.rtf"), dir.filePath("b.txt")}).exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(readAll(dir.filePath("b.txt"))), QStringLiteral("riga è\nseconda"));
}

TEST(Rtfconv, RefusesBadUsageAndBadInput) {
    QTemporaryDir dir;
    const ToolRun noArgs = rtfconv({});
    EXPECT_EQ(noArgs.exitCode, 2);
    EXPECT_TRUE(noArgs.errors.contains("usage")) << noArgs.errors.toStdString();
    EXPECT_EQ(rtfconv({"pdf2rtf", "a", "b"}).exitCode, 2);
    const ToolRun missing = rtfconv({"rtf2txt", dir.filePath("none.rtf"), dir.filePath("x.txt")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.errors.contains("cannot read")) << missing.errors.toStdString();
    writeAll(dir.filePath("plain.rtf"), "not rtf");
    const ToolRun notRtf = rtfconv({"rtf2txt", dir.filePath("plain.rtf"), dir.filePath("x.txt")});
    EXPECT_EQ(notRtf.exitCode, 1);
    EXPECT_TRUE(notRtf.errors.contains("not an RTF document"));
    writeAll(dir.filePath("latin1.txt"), "caff\xe8");
    EXPECT_EQ(rtfconv({"txt2rtf", dir.filePath("latin1.txt"), dir.filePath("x.rtf")}).exitCode, 1);
    writeAll(dir.filePath("ok.txt"), "x");
    const ToolRun unwritable =
        rtfconv({"txt2rtf", dir.filePath("ok.txt"), dir.filePath("no/such/dir/x.rtf")});
    EXPECT_EQ(unwritable.exitCode, 1);
    EXPECT_TRUE(unwritable.errors.contains("cannot write"));
}
