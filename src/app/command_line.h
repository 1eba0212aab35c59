#pragma once

#include <QString>
#include <QStringList>

namespace velcaro {

// What the command line asks for: `velcaro [ADDRESS]`, `-h/--help`, `-v/--version`.
struct CommandLine {
    enum class Action { Run, Help, Version, Unusable };

    Action action = Action::Run;
    // The address to load at start, empty for the usual start. An existing local path is made
    // absolute against the working folder; anything else stays as given, as GO reads it.
    QString address;
    // Why the command line is unusable (an unknown option, too many addresses).
    QString problem;
};

// Reads the arguments (the program's name first). Needs no application object and no display.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);

// Answers a command line that starts no window: the help or the version on standard output
// (exit code 0), or the problem and the usage on standard error (exit code 2).
int answerCommandLine(const CommandLine& commandLine, int argc, char** argv);

} // namespace velcaro
