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
    // Written after the value and the limit: "x", " MB".
    const char* unit = "";
    int decimals = 2;

    bool pass() const { return op[0] == '<' ? value <= limit : value >= limit; }
    void print() const {
        std::printf("goal %s: %.*f%s (target %s %.*f%s) %s\n", name, decimals, value, unit, op,
                    decimals, limit, unit, pass() ? "PASS" : "FAIL");
    }
};

} // namespace velcaro::bench
