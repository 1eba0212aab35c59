#pragma once

#include <cstdio>

namespace velcaro::bench {

// One goal of a benchmark, printed as `goal NAME: VALUE (target OP LIMIT) PASS|FAIL`. A goal
// that is missed is reported, not an error: a benchmark's exit code says only whether it
// could measure.
struct Goal {
    const char* name;
    double value;
    const char* op; // "<=" or ">="
    double limit;

    bool pass() const { return op[0] == '<' ? value <= limit : value >= limit; }
    void print() const {
        std::printf("goal %s: %.2f (target %s %.2f) %s\n", name, value, op, limit,
                    pass() ? "PASS" : "FAIL");
    }
};

} // namespace velcaro::bench
