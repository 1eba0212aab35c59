// Times the load of a generated page in many scripts, in one run: with fontconfig pointed at
// the DejaVu fonts alone (the fonts the program had before), and with the system's fonts (the
// Noto fonts the bootstrap installs). Each load runs in a process of its own, so that each
// starts with the engine's and fontconfig's caches in the same state.
//
// bench_fonts               runs the comparison and prints figures and goal lines
// bench_fonts --probe FILE  loads FILE once and prints the milliseconds it took

#include "app/engine_setup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 3;
constexpr int kParagraphs = 400;
// Goal: with the Noto fonts a page in these scripts loads in under two seconds, as a Latin
// page of the same size does.
constexpr double kGoalMs = 2000;

// Words in several scripts, as real pages use them; the page draws its paragraphs from them
// at random (fixed seed).
const char* const kWords[] = {"日本語の文章",
                              "東京都",
                              "ひらがなとカタカナ",
                              "漢字",
                              "中文文本",
                              "北京市",
                              "简体字",
                              "繁體字",
                              "한국어",
                              "서울특별시",
                              "العربية",
                              "مرحبا بالعالم",
                              "اللغة",
                              "שלום עולם",
                              "עברית",
                              "😀",
                              "🚀",
                              "🌍",
                              "🍕",
                              "👍🏽",
                              "Città",
                              "text",
                              "ΕΛΛΗΝΙΚΆ",
                              "Русский"};

QByteArray generatePage() {
    QRandomGenerator random(20261209);
    QByteArray html = "<!DOCTYPE html><html><head><meta charset='utf-8'>"
                      "<title>Scritture</title></head><body>";
    for (int p = 0; p < kParagraphs; ++p) {
        html += "<p>";
        for (int w = 0; w < 40; ++w) {
            html += kWords[random.bounded(int(std::size(kWords)))];
            html += ' ';
        }
        html += "</p>\n";
    }
    return html + "</body></html>";
}

// Loads the page, then asks the page for its laid-out height, so that the time includes
// shaping the text with its fonts.
int probe(const QString& file) {
    QWebEngineView view;
    view.resize(1024, 768);
    view.show();
    QElapsedTimer clock;
    int result = 1;
    QObject::connect(&view, &QWebEngineView::loadFinished, [&](bool ok) {
        view.page()->runJavaScript(QStringLiteral("document.body.getBoundingClientRect().height"),
                                   [&, ok](const QVariant& height) {
                                       std::printf("%lld %d\n", clock.elapsed(), height.toInt());
                                       result = ok ? 0 : 1;
                                       QApplication::quit();
                                   });
    });
    clock.start();
    view.setUrl(QUrl::fromLocalFile(file));
    QTimer::singleShot(300000, [] { QApplication::exit(1); });
    QApplication::exec();
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Loads the page kRuns times with `fontconfigFile` (empty: the system's configuration) and
// returns the median in milliseconds, or a negative value when a load failed.
double measure(const QString& self, const QString& page, const QString& fontconfigFile) {
    std::vector<double> times;
    for (int run = 0; run < kRuns; ++run) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        if (!fontconfigFile.isEmpty())
            env.insert(QStringLiteral("FONTCONFIG_FILE"), fontconfigFile);
        child.setProcessEnvironment(env);
        child.start(self, {QStringLiteral("--probe"), page});
        if (!child.waitForFinished(310000) || child.exitCode() != 0)
            return -1;
        times.push_back(
            QString::fromLatin1(child.readAllStandardOutput()).split(u' ')[0].toDouble());
    }
    return median(times);
}

bool writeFile(const QString& path, const QByteArray& content) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(content) == content.size();
}

} // namespace

int main(int argc, char** argv) {
    velcaro::prepareWebEngineEnvironment();
    if (argc == 3 && QByteArray(argv[1]) == "--probe") {
        QApplication app(argc, argv);
        return probe(QString::fromLocal8Bit(argv[2]));
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString page = dir.filePath(QStringLiteral("scritture.html"));
    const QString dejavuOnly = dir.filePath(QStringLiteral("dejavu-only.conf"));
    const QByteArray html = generatePage();
    const QByteArray config = "<?xml version='1.0'?><!DOCTYPE fontconfig SYSTEM 'fonts.dtd'>"
                              "<fontconfig><dir>/usr/share/fonts/truetype/dejavu</dir>"
                              "<cachedir>" +
                              QFile::encodeName(dir.filePath(QStringLiteral("cache"))) +
                              "</cachedir></fontconfig>";
    if (!writeFile(page, html) || !writeFile(dejavuOnly, config)) {
        std::fprintf(stderr, "bench_fonts: cannot write into %s\n", qPrintable(dir.path()));
        return 1;
    }
    const QString self = QCoreApplication::applicationFilePath();
    std::printf("page: %d paragraphs, %lld bytes (CJK, Korean, Arabic, Hebrew, emoji, Greek, "
                "Cyrillic, Latin); median "
                "of %d loads, each in a new process\n",
                kParagraphs, static_cast<long long>(html.size()), kRuns);
    const double before = measure(self, page, dejavuOnly);
    const double after = measure(self, page, QString());
    if (before < 0 || after < 0) {
        std::fprintf(stderr, "bench_fonts: a load failed\n");
        return 1;
    }
    std::printf("load with DejaVu only (baseline): %8.0f ms\n", before);
    std::printf("load with the Noto fonts:         %8.0f ms (%.1fx faster)\n", after,
                before / after);
    std::printf("goal noto_page_load: %.0f ms (target < %.0f ms) %s\n", after, kGoalMs,
                after < kGoalMs ? "PASS" : "FAIL");
    return 0;
}
