// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CsvTable.h"
#include "floppy/ProcessRunner.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

// A subcommand as the command line gave it: its arguments after its own
// name, and the options, each checked to be one it takes.
struct Invocation
{
    QStringList arguments;
    bool json = false;
    bool force = false;
    bool strict = false;
    bool dryRun = false;
    std::optional<TableEncoding> encoding;
};

// Each returns the exit status.
int runShow(const Invocation& call, ProcessRunner& processes);
int runSet(const Invocation& call, ProcessRunner& processes);
int runNew(const Invocation& call, ProcessRunner& processes);
int runCheck(const Invocation& call, ProcessRunner& processes);
int runExport(const Invocation& call, ProcessRunner& processes);
int runApplyCommand(const Invocation& call, ProcessRunner& processes);
int runBatchCommand(const Invocation& call, ProcessRunner& processes);

// A misuse of the command line: the reason, the hint to --help, status 2.
int misused(const QString& reason);

// A problem with the data: the message, status 1.
int failed(const QString& message);

} // namespace useropts
