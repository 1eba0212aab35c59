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
// Then the next start's side, the memory it takes at its peak:
// - a left text just under the bound the start offers (Form3::kMaxLeftTextBytes), read whole
//   and then decoded (the baseline, as the folder did) and read in slices by takeLeftText; and
//   the time and memory the window takes to open it;
// - a 1 GB left text, over the bound: read whole (the baseline) and set aside unread.
//
// bench_recovery   prints the figures and the goal lines

#include "../support/goal.h"
#include "platform/atomic_file.h"
#include "platform/recovery_folder.h"
#include "qt/qt_rich_text_box.h"
#include "rtf/rtf_writer.h"
#include "text_window/form3.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <cstdio>

namespace {

using namespace velcaro;
using bench::Goal;

constexpr qsizetype kTextBytes = 30 * 1024 * 1024;
// Goal: the window never stands still for more than a tenth of a second while it keeps a
// 30 MB text.
constexpr double kGoalStallMs = 100;
// A left text over the bound.
constexpr qint64 kTooLongBytes = qint64(1) << 30;
// Goals: a left text is read with at most a tenth more memory than the text's own, and one
// over the bound with next to none.
constexpr double kGoalTakeShare = 1.1;
constexpr double kGoalSetAsideMb = 16;
constexpr double kMb = 1024.0 * 1024.0;

QString generateText(qint64 bytes) {
    const QString line = QStringLiteral(
        "Il testo catturato dalla pagina, con città, perché e caffè, riga dopo riga.\n");
    return line.repeated(int(bytes / line.toUtf8().size()));
}

// A figure of this process from /proc/self/status ("VmRSS:", "VmHWM:"), in MB.
double statusMb(const QByteArray& key) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024;
    return 0;
}

// How much the resident memory grew at its peak while `work` ran, in MB; `ms` gets its time.
double peakGrowthMb(const std::function<void()>& work, double& ms) {
    // Writing 5 there brings the peak (VmHWM) down to the present resident memory.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const double before = statusMb("VmRSS:");
    QElapsedTimer clock;
    clock.start();
    work();
    ms = clock.nsecsElapsed() / 1e6;
    return statusMb("VmHWM:") - before;
}

// What the folder did before it read in slices.
QString readWhole(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The next start's side; whether what was read is the text kept.
bool measureTake(const QString& folderPath) {
    const QString text = generateText(Form3::kMaxLeftTextBytes - 1024 * 1024);
    QString keptPath;
    {
        RecoveryFolder ended(folderPath);
        ended.keepNow(text);
        keptPath = ended.keptPath();
    }
    const double fileMb = QFileInfo(keptPath).size() / kMb;
    const double ownMb = text.size() * 2 / kMb;
    double wholeMs = 0, slicesMs = 0, openMs = 0;
    qsizetype wholeChars = 0;
    const double wholeMb = peakGrowthMb([&] { wholeChars = readWhole(keptPath).size(); }, wholeMs);
    RecoveryFolder next(folderPath);
    std::optional<LeftText> left;
    const double slicesMb =
        peakGrowthMb([&] { left = next.takeLeftText(Form3::kMaxLeftTextBytes); }, slicesMs);
    const bool same = left && left->text == text && wholeChars == text.size();
    auto* edit = new QTextEdit;
    QtRichTextBox box(edit, TwipsRect{0, 0, 9000, 6000});
    const double openMb = peakGrowthMb([&] { box.setText(left ? left->text : QString()); }, openMs);
    delete edit;
    next.dropLeftText();
    std::printf("left text of %.1f MB (%.1f MB as text), under the bound of %.0f MB:\n", fileMb,
                ownMb, Form3::kMaxLeftTextBytes / kMb);
    std::printf("  baseline, read whole then decoded: peak +%.0f MB, %.0f ms\n", wholeMb, wholeMs);
    std::printf("  read in slices: peak +%.0f MB, %.0f ms, %s\n", slicesMb, slicesMs,
                same ? "text whole" : "TEXT DIFFERS");
    std::printf("  opened in the window: peak +%.0f MB, %.0f ms\n", openMb, openMs);

    // Over the bound: a sparse file, which the disk holds no data of.
    const QString longPath = QDir(folderPath).filePath(QStringLiteral("1-1-0.txt"));
    QFile longFile(longPath);
    const bool made = longFile.open(QIODevice::WriteOnly) && longFile.resize(kTooLongBytes);
    longFile.close();
    double longWholeMs = 0, asideMs = 0;
    const double longWholeMb = peakGrowthMb([&] { readWhole(longPath); }, longWholeMs);
    RecoveryFolder later(folderPath);
    std::optional<LeftText> aside;
    const double asideMb =
        peakGrowthMb([&] { aside = later.takeLeftText(Form3::kMaxLeftTextBytes); }, asideMs);
    const bool setAside = made && aside && aside->tooLongBytes == kTooLongBytes;
    if (aside)
        QFile::remove(aside->tooLongPath);
    std::printf("left text of %.0f MB, over the bound:\n", kTooLongBytes / kMb);
    std::printf("  baseline, read whole then decoded: peak +%.0f MB, %.0f ms\n", longWholeMb,
                longWholeMs);
    std::printf("  set aside unread: peak +%.1f MB, %.1f ms, %s\n", asideMb, asideMs,
                setAside ? "kept on disk" : "NOT SET ASIDE");
    Goal{"take_peak", slicesMb, "<=", ownMb * kGoalTakeShare, " MB", 0}.print();
    Goal{"set_aside_peak", asideMb, "<=", kGoalSetAsideMb, " MB", 1}.print();
    return same && setAside;
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
    box.setText(generateText(kTextBytes));
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
    Goal{"keep_stall", keptStall, "<=", kGoalStallMs, " ms", 0}.print();
    folder.discard();
    delete edit;
    const bool taken = measureTake(dir.filePath(QStringLiteral("recupero-avvio")));
    return whole && taken ? 0 : 1;
}
