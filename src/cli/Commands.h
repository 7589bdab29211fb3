#pragma once

#include "floppy/ProcessRunner.h"

#include <QStringList>

namespace useropts {

// What the command's exit status tells a script.
enum ExitStatus
{
    kDone = 0,
    kDataFailed = 1, // the files: a read that stops early, a bad value or row, a failed write
    kMisused = 2,    // the command line itself
};

// Runs the command line, program name first, as QCoreApplication::arguments()
// gives it. --help and --version print and end the program.
int runCommandLine(const QStringList& arguments, ProcessRunner& processes);

} // namespace useropts
