// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>

namespace useropts {

// One run of an outside program: its arguments, what it reads on standard
// input, and how long it may take before it is stopped.
struct ProcessRun
{
    QString program;
    QStringList arguments;
    QByteArray input;
    std::chrono::milliseconds timeLimit{10000};
    QStringList environment;  // "NAME=value" added to the program's environment
    QString workingDirectory; // the program's current folder; empty: ours
    QString package;          // the Debian package the program comes with, if one
};

struct ProcessOutput
{
    int exitCode = 0;
    QByteArray standardOutput;
    QByteArray standardError;
};

// Outside programs go through here, so that tests can script them. A run
// fails when the program cannot be started, crashes or overruns its time
// limit; a program that ends with an exit code of its own is an output. Only
// a program that cannot be started is a matter of installing its package, so
// only that failure names the package.
// run() may be called from several threads at once: a bulk update
// prepares a few images side by side.
class ProcessRunner
{
  public:
    virtual ~ProcessRunner() = default;
    virtual Result<ProcessOutput> run(const ProcessRun& run) = 0;
};

// The real programs, found on PATH.
class SystemProcessRunner final : public ProcessRunner
{
  public:
    Result<ProcessOutput> run(const ProcessRun& run) override;
};

} // namespace useropts
