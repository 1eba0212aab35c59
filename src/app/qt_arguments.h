#pragma once

namespace velcaro {

// The arguments handed to the application object: the program's name and nothing else. Qt
// takes its own options from them, and the web engine its switches (everything after
// --webEngineArgs, for example a command run in front of every page process); the words of
// our command line are addresses and our own options, so none of them may reach either.
class QtArguments {
public:
    explicit QtArguments(char* program) : argv_{program, nullptr} {}

    // The application object keeps both for its whole life: this object must outlive it.
    int& argc() { return argc_; }
    char** argv() { return argv_; }

private:
    int argc_ = 1;
    char* argv_[2];
};

} // namespace velcaro
