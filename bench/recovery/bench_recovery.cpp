// Keeps a 30 MB text of the captured-text window for recovery, offscreen, three ways:
// - baseline: the whole plain text read and written atomically in the window's thread, as a
//   blocking write would do it (and as the program does once, when it is ended from outside);
// - the window's way: the text read a slice at a time from the event loop (readText) and
//   written by the recovery folder's own thread;
// - for reference, our RTF writer over the same document, which only the window's thread can
//   run.
// The figure that matters is the longest time the event loop stood still (the window could
// not repaint or take a key), measured with a 1 ms timer.
//
// bench_recovery   prints the figures and the goal line

#include "platform/atomic_file.h"
#include "platform/recovery_folder.h"
#include "qt/qt_rich_text_box.h"
#include "rtf/rtf_writer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

using namespace velcaro;

constexpr qsizetype kTextBytes = 30 * 1024 * 1024;
// Goal: the window never stands still for more than a tenth of a second while it keeps a
// 30 MB text.
constexpr double kGoalStallMs = 100;

QString generateText() {
    const QString line = QStringLiteral(
        "Il testo catturato dalla pagina, con città, perché e caffè, riga dopo riga.\n");
    return line.repeated(int(kTextBytes / line.toUtf8().size()));
}

// Runs the event loop until `finished` says so, and returns the longest gap between two ticks
// of a 1 ms timer in milliseconds; `elapsedMs` gets the whole time.
double longestStall(const std::function<bool()>& finished, double& elapsedMs) {
    QElapsedTimer clock, sinceTick;
    clock.start();
    sinceTick.start();
    double longest = 0;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
        if (finished())
            QApplication::quit();
    });
    tick.start();
    QApplication::exec();
    elapsedMs = clock.nsecsElapsed() / 1e6;
    return longest;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    auto* edit = new QTextEdit;
    QtRichTextBox box(edit, TwipsRect{0, 0, 9000, 6000});
    box.setText(generateText());
    const QString plain = edit->toPlainText();
    std::printf("text: %.1f MB of UTF-8, %lld characters\n",
                plain.toUtf8().size() / (1024.0 * 1024.0), (long long)plain.size());

    // Baseline: everything in the window's thread, started from the event loop.
    const QString blockingPath = dir.filePath(QStringLiteral("bloccante.txt"));
    bool blockingDone = false;
    QTimer::singleShot(10, [&] {
        writeFileAtomically(blockingPath, edit->toPlainText().toUtf8());
        blockingDone = true;
    });
    double blockingMs = 0;
    const double blockingStall = longestStall([&] { return blockingDone; }, blockingMs);

    // The window's way.
    RecoveryFolder folder(dir.filePath(QStringLiteral("recupero")));
    QTimer::singleShot(10, [&] { box.readText([&folder](const QString& t) { folder.keep(t); }); });
    double keptMs = 0;
    const double keptStall = longestStall([&] { return QFile::exists(folder.keptPath()); }, keptMs);
    QFile kept(folder.keptPath());
    const bool whole = kept.open(QIODevice::ReadOnly) && kept.readAll() == plain.toUtf8();

    QElapsedTimer rtfClock;
    rtfClock.start();
    const QByteArray rtf = rtf::writeRtf(*edit->document());
    const double rtfMs = rtfClock.nsecsElapsed() / 1e6;

    std::printf("baseline, read and written in the window's thread: longest stall %.0f ms, "
                "written after %.0f ms\n",
                blockingStall, blockingMs);
    std::printf("read in slices, written in the background: longest stall %.0f ms, written "
                "after %.0f ms, %s\n",
                keptStall, keptMs, whole ? "file whole" : "FILE DIFFERS");
    std::printf("reference, RTF writer in the window's thread: %.0f ms for %.1f MB\n", rtfMs,
                rtf.size() / (1024.0 * 1024.0));
    std::printf("goal keep_stall: %.0f (target < %.0f ms)\n", keptStall, kGoalStallMs);
    folder.discard();
    delete edit;
    return whole && keptStall < kGoalStallMs ? 0 : 1;
}
