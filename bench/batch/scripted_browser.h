#pragma once

#include "batch_times.h"

#include <QString>
#include <QStringList>

namespace velcaro::bench {

struct ScriptedBrowserRun {
    int tabs = 1;
    // Each address in a new incognito context, rather than in the tab's page as it was.
    bool contextPerPage = false;
    // A local proxy that every request goes to, or 0.
    int proxyPort = 0;
    // The browser's own copy of each page (select all, copy, the clipboard read back), one tab
    // at a time, rather than its innerText.
    bool copy = false;
};

// The peer `velcaro --capture` is measured against: scripted_browser.js, headless Chromium
// driven by puppeteer-core (both installed by the benchmarks' set-up). Writes each page's
// text to `folder` (an address may be followed by a tab and the file's name); the time is the
// script's own, from before its browser starts until the last page's text was written, and its
// pages those it took; the memory that of node and its browser's processes. The addresses it
// could not take are counted in `failed`; without it, one such address throws.
BatchTimes runScriptedBrowser(const QStringList& addresses, const QString& folder,
                              const ScriptedBrowserRun& run, int* failed = nullptr);

} // namespace velcaro::bench
