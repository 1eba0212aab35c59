#pragma once

#include "batch_capture/page_wall.h"
#include "platform/capture_engine.h"

#include <QString>

namespace velcaro {

// What became of one address of a capture: a small result, put into words only by the report
// and the records (failureText).
struct PageOutcome {
    PageError error = PageError::None;
    // With HttpStatus: the server's status code.
    int httpStatus = 0;
    // The engine's own name of the failure ("net::ERR_CONNECTION_REFUSED"); with
    // RobotsRefused, why the site's rules refuse the page.
    QString detail;
    // Why the page was refused before any load (a missing file, its output file in the way),
    // as the check said it; empty for a page that was loaded.
    QString refusal;
    // With Walled: what stands in for the page.
    PageWall wall = PageWall::None;
    // Taken as it was, though it had not finished loading when its time was up.
    bool late = false;
    // Main text was asked for and none stood out: the whole page was taken.
    bool wholePageForMain = false;
    // Tries made, the last one included.
    int tries = 1;
    qint64 ms = 0;
};

// Why the page was not taken, in Italian; `timeoutSeconds` is a load's time.
QString failureText(const PageOutcome& outcome, int timeoutSeconds);

// What the report adds to the line of a page that was taken: "la pagina non ha finito di
// caricarsi entro 60 s", "3 tentativi"...; empty when there is nothing to add.
QString notesText(const PageOutcome& outcome, int timeoutSeconds);

// The text of a copy that found nothing, as the window's message says it.
extern const QString kNoTextCopied;

} // namespace velcaro
