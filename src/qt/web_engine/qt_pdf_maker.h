#pragma once

#include <QByteArray>
#include <QPageLayout>
#include <QPageRanges>
#include <memory>
#include <optional>

class QWebEngineView;

namespace velcaro {

// Has the web engine lay out the page of a view as a PDF (text stays text) in memory. The
// engine works asynchronously; a nested event loop waits for it under a busy cursor and,
// past a second, a progress window with a Cancel button.
//
// Cancel ends the wait, not the engine's work: the engine's Stop action during a PDF job
// brings the whole program down (Qt WebEngine 6.4). Until the abandoned job has finished,
// the engine is busy and a new job is refused.
class QtPdfMaker {
public:
    QtPdfMaker();

    // The PDF, or nothing when the user cancelled. Throws VelcaroError when the engine is
    // still busy, fails, takes longer than kTimeoutMs or the view goes away meanwhile.
    std::optional<QByteArray> make(QWebEngineView& view, const QPageLayout& layout,
                                   const QPageRanges& ranges, const QString& label);
    // Throws VelcaroError while an abandoned job still occupies the engine.
    void requireIdle() const;

    static constexpr int kTimeoutMs = 15 * 60 * 1000;

private:
    // Shared with the engine's callback, which may come after this object is gone.
    std::shared_ptr<bool> busy_;
};

} // namespace velcaro
