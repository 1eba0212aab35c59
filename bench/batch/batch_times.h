#pragma once

#include <QtGlobal>

namespace velcaro::bench {

// The clock of one capture of all the pages, and its memory.
struct BatchTimes {
    int pages = 0;
    // From the start (the first GO, or the start of the process) until the last page's text
    // was saved (or the process ended).
    double seconds = 0;
    // From the start until the first page's text was saved.
    double firstPageSeconds = 0;
    // From the first page's text saved until the last's.
    double afterFirstSeconds = 0;
    // The largest proportional memory of the capturing process and every process below it,
    // in kB (TreeMemoryPeak); 0 when not measured (the window's sequence, in this process).
    qint64 peakMemoryKb = 0;

    double pagesPerSecond() const { return pages / seconds; }
    // The pages after the first, without the start of the engine (and of the process).
    double pagesPerSecondAfterFirst() const { return (pages - 1) / afterFirstSeconds; }
};

} // namespace velcaro::bench
