// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/CsvTable.h"
#include "floppy/ProcessRunner.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QList>

#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

class Complaints;

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

// Rows that cannot be written: the complaints, the first 20 of them, and
// that nothing was written; status 1.
int refused(const Complaints& complaints);

// The cautions for the file a row writes, each after its row, on standard
// error.
void printRowCautions(int row, const QByteArray& file);

// A dry run's line for a file: where it is and the settings that change in
// it, or unchanged where none does.
QString plannedChange(const QString& shown, const QList<Field>& changed, const QString& unchanged);

// What a real run would write, one line for each file planned (anything
// with shown, changed, row and file), its cautions told, and nothing
// written: the exit status the real run would give.
template <typename Planned>
int describePlanned(const QList<Planned>& planned, const QString& unchanged)
{
    QString out;
    for (const Planned& one : planned) {
        out += plannedChange(one.shown, one.changed, unchanged);
        printRowCautions(one.row, one.file);
    }
    printData(out);
    return dataWrittenWhole() ? kDone
                              : failed(QStringLiteral("what would be written could not be "
                                                      "said on standard output"));
}

} // namespace useropts
