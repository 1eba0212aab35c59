#pragma once

#include "batch_capture/capture_options.h"

#include <QString>
#include <QStringList>

namespace velcaro {

// What the command line asks for: `velcaro [ADDRESS]`, `velcaro --capture [OPTIONS]
// ADDRESS...`, `-h/--help`, `-v/--version`.
struct CommandLine {
    enum class Action { Run, Capture, Help, Version, Unusable };

    Action action = Action::Run;
    // The address to load at start, empty for the usual start. An existing local path is made
    // absolute against the working folder; anything else stays as given, as GO reads it.
    QString address;
    // For Capture: what to capture and how. An address "-" stands for the list read from
    // standard input, which the caller puts in its place (readAddressList).
    CaptureOptions capture;
    // Why the command line is unusable (an unknown option, too many addresses, a bad value).
    QString problem;
    // The arguments as given, for answerCommandLine.
    QStringList arguments;
};

// Reads the arguments (the program's name first). Needs no application object and no display.
CommandLine parseCommandLine(const QStringList& arguments, const QString& workingFolder);

// The addresses of a list, one per line: blank lines and lines starting with "#" are skipped,
// spaces around an address dropped.
QStringList readAddressList(const QByteArray& list);

// The pages a capture loads at once unless told: enough to keep every core busy while other
// pages wait for the network or for their scripts.
int defaultCaptureJobs();

// Answers a command line that starts no window: the help or the version on standard output
// (exit code 0), or the problem and the usage on standard error (exit code 2), in Italian as
// the rest of the program, Qt's own words of the help and of its errors included.
int answerCommandLine(const CommandLine& commandLine, char* program);

} // namespace velcaro
