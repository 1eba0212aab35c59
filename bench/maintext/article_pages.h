#pragma once

#include "page_server.h"

#include <QProcess>
#include <QString>
#include <vector>

namespace velcaro::bench {

// One page of the public article extraction benchmark, unpacked.
struct ArticlePage {
    QString id;
    QString path;
    QString truth;
    QString address;
    QString output; // the file name the capture gives the address
};

// The benchmark's folder: VELCARO_ARTICLE_BENCHMARK from the environment, or the shared data
// folder of the build.
QString articleBenchmarkFolder();

// The pages of the benchmark in `data`, unpacked into `folder`, with their article text.
std::vector<ArticlePage> unpackArticlePages(const QString& data, const QString& folder);

// The local proxy answering each page's address with its saved page (page_server.h).
int startPageServer(const std::vector<ArticlePage>& pages, const QString& folder, QProcess& server);

} // namespace velcaro::bench
