#pragma once

#include "maintext_run.h"

namespace velcaro::bench {

// The main-text capture on the public article extraction benchmark (bench_maintext.cpp): its
// figures and goals printed; false when it could not measure.
bool runArticleBenchmark(const MaintextOptions& options);

} // namespace velcaro::bench
