// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CsvTable.h"
#include "floppy/ProcessRunner.h"

#include <QString>

#include <optional>

namespace useropts {

struct BatchRequest
{
    QString templatePath;
    QString tablePath;
    QString outputFolder;                  // as given, for messages
    bool force = false;                    // replace outputs that exist
    bool strict = false;                   // any caution refuses its row
    bool dryRun = false;                   // say what would be written, and write nothing
    std::optional<TableEncoding> encoding; // of the table, where it is not UTF-8
};

// Writes one settings file or image for each row of the table, or, when any
// row is bad, nothing at all; returns the exit status.
int runBatch(const BatchRequest& request, ProcessRunner& processes);

} // namespace useropts
