#include "other_converters.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <algorithm>

namespace velcaro::bench {
namespace {

constexpr int kRunTimeoutMs = 30 * 60 * 1000;

// Reads a JSON array of HTML strings from standard input and writes a JSON array of
// {markdown, seconds}.
constexpr char kTurndownScript[] = R"js(
const TurndownService = require('turndown');
const chunks = [];
process.stdin.on('data', (chunk) => chunks.push(chunk));
process.stdin.on('end', () => {
  const documents = JSON.parse(Buffer.concat(chunks).toString('utf8'));
  const service = new TurndownService({headingStyle: 'atx', codeBlockStyle: 'fenced',
                                       bulletListMarker: '-', emDelimiter: '*'});
  const results = documents.map((html) => {
    let markdown = '';
    let best = Infinity;
    for (let run = 0; run < 3; ++run) {
      const start = process.hrtime.bigint();
      markdown = service.turndown(html);
      best = Math.min(best, Number(process.hrtime.bigint() - start) / 1e9);
    }
    return {markdown: markdown, seconds: best};
  });
  process.stdout.write(JSON.stringify(results));
});
)js";

// Runs `program` on `input`; the wall-clock seconds, or a negative number when it failed.
double run(const QString& program, const QStringList& arguments, const QByteArray& input,
           QByteArray& output, const QProcessEnvironment& environment = {}) {
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    if (!process.waitForStarted())
        return -1;
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(kRunTimeoutMs) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0)
        return -1;
    const double seconds = clock.nsecsElapsed() / 1e9;
    output = process.readAllStandardOutput();
    return seconds;
}

} // namespace

std::vector<Conversion> convertWithPandoc(const std::vector<QByteArray>& documents) {
    const QStringList arguments{QStringLiteral("-f"), QStringLiteral("html"), QStringLiteral("-t"),
                                QStringLiteral("gfm")};
    std::vector<Conversion> results(documents.size());
    QByteArray output;
    double start = 1e9;
    for (int i = 0; i < 3; ++i) {
        const double seconds = run(QStringLiteral("pandoc"), arguments, QByteArray(), output);
        if (seconds < 0)
            return results;
        start = std::min(start, seconds);
    }
    for (std::size_t i = 0; i < documents.size(); ++i) {
        const double seconds = run(QStringLiteral("pandoc"), arguments, documents[i], output);
        if (seconds < 0)
            continue;
        results[i] = {true, QString::fromUtf8(output), std::max(0.0, seconds - start)};
    }
    return results;
}

std::vector<Conversion> convertWithTurndown(const std::vector<QByteArray>& documents) {
    std::vector<Conversion> results(documents.size());
    QJsonArray input;
    for (const QByteArray& html : documents)
        input.append(QString::fromUtf8(html));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("NODE_PATH"), QStringLiteral("/usr/share/nodejs"));
    QByteArray output;
    if (run(QStringLiteral("node"), {QStringLiteral("-e"), QString::fromUtf8(kTurndownScript)},
            QJsonDocument(input).toJson(QJsonDocument::Compact), output, environment) < 0)
        return results;
    const QJsonArray converted = QJsonDocument::fromJson(output).array();
    for (qsizetype i = 0; i < converted.size() && i < qsizetype(results.size()); ++i) {
        const QJsonObject item = converted[i].toObject();
        results[static_cast<std::size_t>(i)] = {true,
                                                item.value(QStringLiteral("markdown")).toString(),
                                                item.value(QStringLiteral("seconds")).toDouble()};
    }
    return results;
}

} // namespace velcaro::bench
