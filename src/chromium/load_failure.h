#pragma once

#include "platform/capture_engine.h"

namespace velcaro {

// The kind of a failed load of the main frame, from the browser's network error
// ("net::ERR_NAME_NOT_RESOLVED"). `committed`: a document of the page was already there, so an
// aborted navigation (one the page started and dropped) is no failure of it.
PageError loadFailureOf(const QString& errorText, bool committed);

} // namespace velcaro
