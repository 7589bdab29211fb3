// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CsvTable.h"
#include "floppy/ProcessRunner.h"

#include <QString>

#include <optional>

namespace useropts {

struct ApplyRequest
{
    QString tablePath;
    bool strict = false; // any caution refuses its row
    bool dryRun = false; // say what would be written, and write nothing
    std::optional<TableEncoding> encoding;
};

// Updates the files and images a table names in its PATH column with the
// values of its other columns, each as set writes it; when any row is bad,
// nothing at all. A file whose values are those of its row already is left
// untouched. Returns the exit status.
int runApply(const ApplyRequest& request, ProcessRunner& processes);

} // namespace useropts
