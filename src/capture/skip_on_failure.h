#pragma once

#include <utility>

namespace velcaro {

// Runs one step of a capture; a step that fails is skipped without a word and the capture
// goes on with the next one.
template <typename Step> void skipOnFailure(Step&& step) {
    try {
        std::forward<Step>(step)();
    } catch (...) {
    }
}

} // namespace velcaro
