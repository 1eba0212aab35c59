#pragma once

#include <stdexcept>
#include <string>

namespace velcaro::bench {

// Something the benchmark needs did not happen: it cannot measure, and says why.
struct MeasureError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

inline void require(bool ok, const std::string& what) {
    if (!ok)
        throw MeasureError(what);
}

} // namespace velcaro::bench
