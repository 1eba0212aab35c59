#pragma once

namespace velcaro {

// The wait cursor over every window of the program while an object of this class lives: a
// capture or a save of a large text can keep the program busy for seconds.
class QtBusyCursor {
public:
    QtBusyCursor();
    ~QtBusyCursor();
    QtBusyCursor(const QtBusyCursor&) = delete;
    QtBusyCursor& operator=(const QtBusyCursor&) = delete;
};

} // namespace velcaro
