#pragma once

#include "batch_capture/capture_options.h"
#include "batch_capture/capture_target.h"

#include <QElapsedTimer>
#include <QTimer>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace velcaro {

class CapturePage;
class CapturePlatform;
class OutputPlan;

// `velcaro --capture`: the text of each page, taken as "Copia testo Pag.Html" takes it and
// written as "Salva Testo .TXT" writes it (or as the RTF made from the copied HTML), for one
// page or thousands. Several pages load at once; the copies, which share the clipboard, are
// made one at a time. One line per page goes to standard error as it ends.
//
// A page object (a browser area) that captured its page takes the next address, up to
// kLoadsPerPage times, so the area is not built again for every page; each address still
// starts in a new engine page of its own, which nothing of the addresses before reaches. One
// whose page failed is released at once.
class BatchCapture {
public:
    BatchCapture(CapturePlatform& platform, CaptureOptions options);
    ~BatchCapture();

    // Checks the addresses and the output, then starts loading. The run ends through the
    // platform's finish(), with kAllCaptured, kSomeFailed or kBadUsage; when nothing can start
    // (bad usage, an output that cannot be written) it ends before any page is loaded.
    void start();

    static constexpr int kAllCaptured = 0;
    static constexpr int kSomeFailed = 1;
    static constexpr int kBadUsage = 2;
    static constexpr int kLoadsPerPage = 20;

private:
    struct Page;
    // A page object between two loads, with the loads it has made.
    struct IdlePage {
        std::unique_ptr<CapturePage> page;
        int loads = 0;
    };

    void advance();
    void open(int index);
    void loaded(int index, const QString& failure);
    void pump();
    void capture(Page& page);
    QByteArray content(Page& page, QString* failure);
    void succeed(int index, qsizetype bytes);
    void fail(int index, const QString& reason);
    // Why a page whose time was up before its load ended was not taken, or how it was.
    QString lateLoad() const;
    void release(int index);
    void schedulePump();
    void showStatus();
    void finishIfDone();
    void end(int exitCode);

    CapturePlatform& platform_;
    CaptureOptions options_;
    std::vector<CaptureTarget> targets_;
    std::unique_ptr<OutputPlan> plan_;
    std::map<int, std::unique_ptr<Page>> running_;
    std::vector<std::unique_ptr<Page>> released_;
    std::vector<IdlePage> idle_;
    std::deque<int> ready_;
    QStringList failures_;
    QElapsedTimer clock_;
    QTimer pumpTimer_;
    int next_ = 0;
    int done_ = 0;
    bool capturing_ = false;
    bool ended_ = false;
};

} // namespace velcaro
