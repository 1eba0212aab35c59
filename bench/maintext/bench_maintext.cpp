// The main-text capture (`velcaro --capture --main`) measured on two corpora, each against the
// whole-page capture of the same pages in the same run:
//
// - articles: the public article extraction benchmark (181 real article pages with their
//   hand-checked article text, read from the shared data folder; skipped when it is absent),
//   on the Chromium engine and on the window's engine (Qt WebEngine), scored with the
//   benchmark's shingle metric and timed. The scripted browser (headless Chromium driven by
//   puppeteer-core, as many tabs as the capture's default jobs) takes the same pages through
//   the same proxy, once for its pace and once for the browser's own copy of each page, which
//   the Chromium engine's text must equal. Goals on the Chromium engine: F1 at least 0.975 and
//   precision at least 0.95, the main-text capture taking at most 1.3 times the whole-page
//   capture, the whole-page capture going through at least as many addresses a second as the
//   scripted browser in at most as much memory, and its text byte for byte the browser's own
//   copy on at least 95 % of the pages both took.
// - corpus: pages of every kind and many languages (corpus/README.md), each annotated with
//   passages its main text must hold and passages it must not, scored on those passages
//   (passage_score.h), on the Chromium engine. Goals: the pages' mean F1 at least 0.93 and
//   the lowest kind's mean F1 at least 0.85. Passages the whole page does not hold are listed
//   as the annotation's defects.
//
// Each page is loaded at its own address, as a user would load it, from a local proxy that
// answers it with the saved page, a page's move to another address with "no content" (the
// browser stays) and every other request with a 404 (serve_pages.py): nothing leaves the
// machine, and the pages' scripts see the address they were written for.
//
//   bench_maintext [articles|corpus] [--engine chromium|qt] [--pages REGEX] [--keep DIR]
//                  [--no-whole]
//
// Without a mode, both corpora (articles on both engines). --engine measures on one engine
// only, --pages only the pages whose id matches, --keep writes the captured texts to DIR (a
// folder per corpus and engine, a file per page), --no-whole skips the whole-page baseline
// (and the goals measured against it) for quick development runs.
#include "article_benchmark.h"
#include "corpus_benchmark.h"
#include "measure_error.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <cstdio>

using namespace velcaro::bench;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The main-text capture on the article benchmark and the second corpus."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("mode"),
                                 QStringLiteral("articles or corpus; both when absent."));
    const QCommandLineOption engine(QStringLiteral("engine"),
                                    QStringLiteral("Only this engine: chromium or qt."),
                                    QStringLiteral("engine"));
    const QCommandLineOption pages(QStringLiteral("pages"),
                                   QStringLiteral("Only the pages whose id matches."),
                                   QStringLiteral("regex"));
    const QCommandLineOption keep(QStringLiteral("keep"),
                                  QStringLiteral("Keep the captured texts in this folder."),
                                  QStringLiteral("dir"));
    const QCommandLineOption noWhole(QStringLiteral("no-whole"),
                                     QStringLiteral("Skip the whole-page baseline."));
    parser.addOptions({engine, pages, keep, noWhole});
    parser.process(app);

    MaintextOptions options;
    const QString mode = parser.positionalArguments().value(0);
    const QString chosen = parser.value(engine);
    options.pages = QRegularExpression(parser.value(pages));
    const bool badEngine =
        !chosen.isEmpty() && chosen != QLatin1String("chromium") && chosen != QLatin1String("qt");
    if (parser.positionalArguments().size() > 1 || badEngine || !options.pages.isValid() ||
        (!mode.isEmpty() && mode != QLatin1String("articles") && mode != QLatin1String("corpus"))) {
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    if (!chosen.isEmpty())
        options.engines << chosen;
    if (parser.isSet(keep))
        options.keep = QDir(parser.value(keep)).absolutePath();
    options.whole = !parser.isSet(noWhole);

    bool measured = true;
    try {
        if (mode != QLatin1String("corpus"))
            measured = runArticleBenchmark(options) && measured;
        if (mode != QLatin1String("articles"))
            measured = runCorpusBenchmark(options) && measured;
    } catch (const MeasureError& error) {
        std::printf("bench_maintext: %s\n", error.what());
        return 1;
    }
    return measured ? 0 : 1;
}
