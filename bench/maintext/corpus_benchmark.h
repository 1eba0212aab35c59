#pragma once

#include "maintext_run.h"

namespace velcaro::bench {

// The main-text capture on the second corpus, scored on its passages (corpus/README.md): its
// figures and goals printed; false when it could not measure.
bool runCorpusBenchmark(const MaintextOptions& options);

} // namespace velcaro::bench
