// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
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

// Done when every argument after the program's name is UTF-8 text. A name
// that is not (a file from an old Latin-1 share) would reach the program
// with U+FFFD in place of its bytes and name another file, or none; the
// failure names the argument by its number and shows its bytes.
Result<> argumentsAreText(int argc, const char* const argv[]);

// Runs the command line, program name first, as QCoreApplication::arguments()
// gives it. --help and --version print and end the program.
int runCommandLine(const QStringList& arguments, ProcessRunner& processes);

} // namespace useropts
