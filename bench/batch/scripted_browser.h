#pragma once

#include "batch_times.h"

#include <QString>
#include <QStringList>

namespace velcaro::bench {

// The peer `velcaro --capture` is measured against: scripted_browser.js, headless Chromium
// driven by puppeteer-core (both installed by the benchmarks' set-up), with `tabs` tabs.
// Its tabs keep their page from one address to the next, unless `contextPerPage` gives each
// address a new incognito context. Writes each page's text to `folder`; the time is the
// script's own, from before its browser starts until the last page's text was written.
// Throws unless every page was taken.
BatchTimes runScriptedBrowser(const QStringList& pages, const QString& folder, int tabs,
                              bool contextPerPage);

} // namespace velcaro::bench
