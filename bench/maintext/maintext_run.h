#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>

namespace velcaro::bench {

// What bench_maintext was asked to measure, beside its mode.
struct MaintextOptions {
    // The engines to capture on; empty: the mode's own.
    QStringList engines;
    // Only the pages whose id matches.
    QRegularExpression pages;
    // Where to keep the captured texts, one file per page; empty: nowhere.
    QString keep;
    // The whole-page capture is taken too, as the baseline.
    bool whole = true;
};

struct CaptureRun {
    double seconds = 0;
    int failed = 0;
    qint64 peakKb = 0;
};

// `velcaro --capture --engine engine --force` of `addresses` with `output` (the output's
// options), `--main` when `mainText`, the engines sent to the local proxy on `port`.
CaptureRun captureAddresses(const QStringList& addresses, int port, const QStringList& output,
                            const QString& engine, bool mainText);

// Writes `text` to `folder/name`, making the folder.
void keepText(const QString& folder, const QString& name, const QByteArray& text);

} // namespace velcaro::bench
