// Print and Print Preview on a long page (about 150 A4 pages) and a short one (about 20):
// the time until the preview shows its first page and the time to write a PDF file, next to
// the engine's own printToPdf of the same page into memory, and the peak resident memory
// each adds to the program. Each measurement runs in a process of its own (print_probe).
// A page of about 1000 printed pages is printed and previewed once, for memory.
#include "../support/goal.h"
#include "support/long_page.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace velcaro::testing;
using velcaro::bench::Goal;

namespace {

constexpr int kRuns = 3;
constexpr double kPreviewGoal = 2.0;
constexpr double kPdfGoal = 1.5;
constexpr double kMemoryGoalMb = 600;

struct Figure {
    double seconds = 0;
    double peakMb = 0;
    int pages = 0;
};

bool probe(const QString& mode, const QString& page, const QString& out, Figure& figure) {
    QProcess process;
    process.start(QStringLiteral(PRINT_PROBE), {mode, page, out});
    if (!process.waitForFinished(15 * 60 * 1000) || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_print: %s of %s failed: %s\n", qPrintable(mode),
                     qPrintable(page), process.readAllStandardError().right(400).constData());
        return false;
    }
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("seconds=([0-9.]+) peak_growth_mb=(-?[0-9.]+) "
                                          "pages=([0-9]+)"))
            .match(QString::fromUtf8(process.readAllStandardOutput()));
    if (!m.hasMatch())
        return false;
    figure = {m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toInt()};
    return true;
}

// Median time and largest memory growth over `runs` runs.
bool measure(const QString& mode, const QString& page, const QString& out, int runs,
             Figure& result) {
    std::vector<Figure> figures(runs);
    for (Figure& f : figures)
        if (!probe(mode, page, out, f))
            return false;
    std::sort(figures.begin(), figures.end(),
              [](const Figure& a, const Figure& b) { return a.seconds < b.seconds; });
    result = figures[figures.size() / 2];
    for (const Figure& f : figures)
        result.peakMb = std::max(result.peakMb, f.peakMb);
    return true;
}

bool benchPage(const QTemporaryDir& dir, const char* name, int printedPages, int runs) {
    const QString page = dir.filePath(QStringLiteral("%1.html").arg(QLatin1String(name)));
    QFile f(page);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write(makeLongPage(printedPages));
    f.close();
    const QString out = dir.filePath(QStringLiteral("%1.pdf").arg(QLatin1String(name)));

    Figure engine, preview, pdf;
    if (!measure(QStringLiteral("baseline"), page, out, runs, engine) ||
        !measure(QStringLiteral("preview"), page, out, runs, preview) ||
        !measure(QStringLiteral("pdf"), page, out, runs, pdf))
        return false;
    std::printf("%s page: %.0f KB of HTML, %d printed pages\n", name, f.size() / 1024.0,
                engine.pages);
    std::printf("  engine printToPdf into memory: %.2f s, peak +%.0f MB\n", engine.seconds,
                engine.peakMb);
    std::printf("  preview, first page shown:     %.2f s, peak +%.0f MB (%d pages)\n",
                preview.seconds, preview.peakMb, preview.pages);
    std::printf("  PDF file written:              %.2f s, peak +%.0f MB (%d pages)\n", pdf.seconds,
                pdf.peakMb, pdf.pages);
    const QByteArray prefix(name);
    Goal{prefix + "_preview_vs_engine", preview.seconds / engine.seconds, "<=", kPreviewGoal, ""}
        .print();
    Goal{prefix + "_pdf_vs_engine", pdf.seconds / engine.seconds, "<=", kPdfGoal, ""}.print();
    if (printedPages >= 150) {
        Goal{prefix + "_preview_peak_growth", preview.peakMb, "<=", kMemoryGoalMb, " MB"}.print();
        Goal{prefix + "_pdf_peak_growth", pdf.peakMb, "<=", kMemoryGoalMb, " MB"}.print();
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const bool ok = benchPage(dir, "short", 20, kRuns) && benchPage(dir, "long", 150, kRuns) &&
                    benchPage(dir, "huge", 1000, 1);
    return ok ? 0 : 1;
}
