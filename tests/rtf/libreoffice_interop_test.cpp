// Written RTF opened by an independent reader, LibreOffice Writer (headless): the text and the
// bold and italic runs must come through. One conversion call per output format, for all files.
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"
#include "rtf/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextDocument>
#include <gtest/gtest.h>

using namespace velcaro::rtf;

namespace {

bool writeFile(const QString& path, const QByteArray& data) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}

QString readUtf8(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("<missing %1>").arg(path);
    QString text = QString::fromUtf8(file.readAll());
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    while (text.endsWith('\n') || text.endsWith('\r'))
        text.chop(1);
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// soffice --convert-to FORMAT for every file, in one run with a private profile.
void convert(const QTemporaryDir& dir, const QString& format, const QStringList& files) {
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (soffice) is not installed: scripts/bootstrap";
    QProcess process;
    QStringList args = {
        QStringLiteral("--headless"),   "-env:UserInstallation=file://" + dir.filePath("profile"),
        QStringLiteral("--convert-to"), format,
        QStringLiteral("--outdir"),     dir.path()};
    args += files;
    process.start(soffice, args);
    ASSERT_TRUE(process.waitForFinished(120000)) << "soffice did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
}

QStringList runsInside(const QString& html, const QString& tag) {
    QStringList runs;
    const QRegularExpression re("<" + tag + ">(.*?)</" + tag + ">");
    for (auto it = re.globalMatch(html); it.hasNext();)
        runs << it.next().captured(1);
    return runs;
}

void buildDocument(QTextDocument& doc) {
    QTextCursor c(&doc);
    QTextCharFormat plain;
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    QTextCharFormat italic;
    italic.setFontItalic(true);
    QTextCharFormat both = bold;
    both.setFontItalic(true);
    c.insertText(QStringLiteral("Testo normale, "), plain);
    c.insertText(QStringLiteral("grassetto"), bold);
    c.insertText(QStringLiteral(" poi "), plain);
    c.insertText(QStringLiteral("corsivo"), italic);
    c.insertText(QStringLiteral(" e "), plain);
    c.insertText(QStringLiteral("entrambi"), both);
    c.insertText(QStringLiteral("."), plain);
    c.insertBlock();
    c.insertText(QStringLiteral("Perché la città è più bella? Però sì: È così."));
    c.insertBlock();
    c.insertText(QStringLiteral("东京 日本語 한국어 😀 𝄞 Ελληνικά Русский"));
    c.insertBlock();
    c.insertText(QStringLiteral("colonna\tseparata {graffe} \\barra € “virgolette” — fine"));
}

} // namespace

TEST(LibreOfficeInterop, WrittenRtfOpensWithTheSameTextAndRuns) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QTextDocument doc;
    buildDocument(doc);
    ASSERT_TRUE(writeFile(dir.filePath("documento.rtf"), writeRtf(doc)));

    // The captured-text window's save: a copied page read into the text area's document, then
    // written from that document.
    QTextDocument captured;
    readRtf(htmlToRtf("<h1>Prima riga è</h1><p>Seconda <b>riga</b> 中文</p>"
                      "<p><a href=\"https://example.org/\">Dopo</a> un collegamento</p>"),
            captured);
    ASSERT_TRUE(writeFile(dir.filePath("testo.rtf"), writeRtf(captured)));

    convert(dir, QStringLiteral("txt:Text (encoded):UTF8"),
            {dir.filePath("documento.rtf"), dir.filePath("testo.rtf")});
    convert(dir, QStringLiteral("html"), {dir.filePath("documento.rtf")});

    EXPECT_EQ(readUtf8(dir.filePath("documento.txt")).toStdString(),
              doc.toPlainText().toStdString());
    EXPECT_EQ(readUtf8(dir.filePath("testo.txt")).toStdString(),
              captured.toPlainText().toStdString());

    const QString html = readUtf8(dir.filePath("documento.html"));
    const QStringList boldRuns = runsInside(html, "b");
    const QStringList italicRuns = runsInside(html, "i");
    EXPECT_TRUE(boldRuns.join('|').contains("grassetto")) << html.toStdString();
    EXPECT_TRUE(italicRuns.join('|').contains("corsivo")) << html.toStdString();
    EXPECT_TRUE(boldRuns.join('|').contains("entrambi"));
    EXPECT_TRUE(italicRuns.join('|').contains("entrambi"));
    EXPECT_FALSE(boldRuns.join('|').contains("normale"));
    EXPECT_FALSE(boldRuns.join('|').contains("corsivo"));
    EXPECT_FALSE(italicRuns.join('|').contains("grassetto"));
}
