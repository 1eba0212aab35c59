#pragma once

#include "batch_capture/capture_options.h"

#include <QCommandLineOption>
#include <QList>

class QCommandLineParser;

namespace velcaro {

// The command line's options of a site crawl (`--capture --crawl`).
class CrawlArguments {
public:
    CrawlArguments();

    QList<QCommandLineOption> options() const;
    // Whether any of them was given.
    bool anySet(const QCommandLineParser& parser) const;
    // The crawl asked for; `problem` says what is wrong with it, and is left as it is when
    // nothing is.
    CrawlOptions read(const QCommandLineParser& parser, QString* problem) const;

private:
    QCommandLineOption crawl_;
    QCommandLineOption scope_;
    QCommandLineOption include_;
    QCommandLineOption exclude_;
    QCommandLineOption depth_;
    QCommandLineOption maxPages_;
    QCommandLineOption maxPerPattern_;
    QCommandLineOption followSitemaps_;
    QCommandLineOption ignoreQuery_;
};

} // namespace velcaro
