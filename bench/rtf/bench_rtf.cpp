// Speed of the RTF writer, reader and HTML converter, each next to the Qt baseline it has a
// goal against, measured in the same run; then one line per goal.
#include "../support/goal.h"
#include "bench_documents.h"
#include "rtf/html_to_rtf.h"
#include "rtf/rtf_reader.h"
#include "rtf/rtf_writer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

using namespace velcaro::rtf;
using velcaro::bench::Goal;

namespace {

// Best of `runs` wall-clock times, in seconds.
double timeIt(const std::function<void()>& work, int runs = 3) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        best = std::min(best, timer.nsecsElapsed() / 1e9);
    }
    return best;
}

double mb(qsizetype bytes) {
    return bytes / 1e6;
}

// What any reader that builds a QTextDocument pays at least: the document's runs and
// paragraphs inserted through QTextCursor in one edit block, tables and lists left out.
void copyRuns(const QTextDocument& source) {
    QTextDocument target;
    target.setUndoRedoEnabled(false);
    QTextCursor cursor(&target);
    cursor.beginEditBlock();
    for (QTextBlock block = source.begin(); block.isValid(); block = block.next()) {
        if (block != source.begin()) {
            QTextBlockFormat format = block.blockFormat();
            format.clearProperty(QTextFormat::ObjectIndex); // the list is the source's
            cursor.insertBlock(format, QTextCharFormat());
        }
        for (auto it = block.begin(); !it.atEnd(); ++it)
            cursor.insertText(it.fragment().text(), it.fragment().charFormat());
    }
    cursor.endEditBlock();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::vector<Goal> goals;

    // Writer and reader on the ~5 MB document.
    QTextDocument doc;
    bench::makeDocument(doc, 5'000'000, 500);
    const QString plain = doc.toPlainText();
    QByteArray rtf;
    const double writer = timeIt([&] { rtf = writeRtf(doc); });
    const double toHtml = timeIt([&] { (void)doc.toHtml(); }, 2);
    std::printf("document: %.1f MB of text, %d paragraphs, RTF %.1f MB\n",
                mb(plain.toUtf8().size()), doc.blockCount(), mb(rtf.size()));
    std::printf("writer   writeRtf %.3f s   baseline toHtml %.3f s   ratio %.2f\n", writer, toHtml,
                writer / toHtml);
    goals.push_back({"writer/toHtml", writer / toHtml, "<=", 0.5});

    const double reader = timeIt([&] {
        QTextDocument back;
        readRtf(rtf, back);
    });
    const double setPlain = timeIt([&] {
        QTextDocument back;
        back.setPlainText(plain);
    });
    const double floor = timeIt([&] { copyRuns(doc); });
    std::printf("reader   readRtf %.3f s   baseline setPlainText %.3f s   ratio %.2f\n", reader,
                setPlain, reader / setPlain);
    std::printf("         (Qt alone, inserting the same runs and paragraphs with QTextCursor: "
                "%.3f s, ratio %.2f)\n",
                floor, floor / setPlain);
    goals.push_back({"reader/setPlainText", reader / setPlain, "<=", 4});

    // HTML converter on ~15 MB of engine-style HTML; setHtml runs once (it is slow).
    const QByteArray html = bench::makeEngineHtml(15'000'000, 500);
    const double converter = timeIt([&] { (void)htmlToRtf(html); });
    double setHtml = 0;
    {
        const QString htmlText = QString::fromUtf8(html);
        QTextDocument target;
        setHtml = timeIt([&] { target.setHtml(htmlText); }, 1);
    }
    std::printf(
        "html     htmlToRtf %.3f s (%.1f MB/s)   baseline setHtml %.3f s   speed-up %.1fx\n",
        converter, mb(html.size()) / converter, setHtml, setHtml / converter);
    goals.push_back({"html speed-up over setHtml", setHtml / converter, ">=", 10});
    goals.push_back({"html MB/s", mb(html.size()) / converter, ">=", 20});

    // Linearity: 1 MB against 4 MB. The small runs take only milliseconds: best of more runs.
    constexpr int kLinearityRuns = 7;
    QTextDocument small, large;
    bench::makeDocument(small, 1'000'000, 100);
    bench::makeDocument(large, 4'000'000, 400);
    QByteArray smallRtf, largeRtf;
    const double w1 = timeIt([&] { smallRtf = writeRtf(small); }, kLinearityRuns);
    const double w4 = timeIt([&] { largeRtf = writeRtf(large); }, kLinearityRuns);
    const double r1 = timeIt(
        [&] {
            QTextDocument d;
            readRtf(smallRtf, d);
        },
        kLinearityRuns);
    const double r4 = timeIt(
        [&] {
            QTextDocument d;
            readRtf(largeRtf, d);
        },
        kLinearityRuns);
    const QByteArray smallHtml = bench::makeEngineHtml(1'000'000, 100);
    const QByteArray largeHtml = bench::makeEngineHtml(4'000'000, 400);
    const double h1 = timeIt([&] { (void)htmlToRtf(smallHtml); }, kLinearityRuns);
    const double h4 = timeIt([&] { (void)htmlToRtf(largeHtml); }, kLinearityRuns);
    std::printf("linearity 1 MB -> 4 MB: writer %.3f -> %.3f s, reader %.3f -> %.3f s, "
                "html %.3f -> %.3f s\n",
                w1, w4, r1, r4, h1, h4);
    goals.push_back({"writer 4MB/1MB", w4 / w1, "<", 4.6});
    goals.push_back({"reader 4MB/1MB", r4 / r1, "<", 4.6});
    goals.push_back({"html 4MB/1MB", h4 / h1, "<", 4.6});

    // Hostile documents: time to read them stays bounded. A group nested 100,000 deep, a table
    // of 300 rows of 300 cells, the slowest RTF file of the fuzzers' regression corpus, and the
    // slowest of its HTML files through the converter and the reader.
    QByteArray deep =
        "{\\rtf1 a" + QByteArray(100000, '{') + "\\b deep" + QByteArray(100000, '}') + " z}";
    QByteArray wide = "{\\rtf1 ";
    for (int row = 0; row < 300; ++row) {
        wide += "\\trowd\\cellx100";
        for (int cell = 0; cell < 300; ++cell)
            wide += "\\intbl c" + QByteArray::number(cell) + "\\cell";
        wide += "\\row ";
    }
    const auto readTime = [](const QByteArray& rtf) {
        return timeIt([&] {
            QTextDocument d;
            readRtf(rtf, d);
        });
    };
    // The slowest file of a folder of the corpus through `work`, in seconds.
    const auto slowestFile = [](const QString& folder,
                                const std::function<void(const QByteArray&)>& work) {
        double slowest = 0;
        const QDir dir(folder);
        for (const QString& name : dir.entryList(QDir::Files)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray bytes = file.readAll();
            slowest = std::max(slowest, timeIt([&] { work(bytes); }));
        }
        return slowest;
    };
    const double deepTime = readTime(deep);
    const double wideTime = readTime(wide);
    const double corpusTime = slowestFile(QStringLiteral(RTF_CORPUS), [](const QByteArray& bytes) {
        QTextDocument d;
        readRtf("{\\rtf1" + bytes, d);
    });
    // The HTML converter's corpus, converted and its RTF read back.
    const double htmlCorpusTime =
        slowestFile(QStringLiteral(RTF_CORPUS "/html"), [](const QByteArray& html) {
            QTextDocument d;
            readRtf(htmlToRtf(html), d);
        });
    std::printf("hostile documents: deep nesting %.3f s, wide table %.3f s, slowest corpus file "
                "%.3f s, slowest HTML corpus file converted and read %.3f s\n",
                deepTime, wideTime, corpusTime, htmlCorpusTime);
    goals.push_back({"reader deep nesting s", deepTime, "<=", 2});
    goals.push_back({"reader wide table s", wideTime, "<=", 5});
    goals.push_back({"reader corpus file s", corpusTime, "<=", 5});
    goals.push_back({"html and reader corpus file s", htmlCorpusTime, "<=", 5});

    for (const Goal& g : goals)
        g.print();
    return 0;
}
