// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/BatchPlan.h"

namespace useropts {

// The checks of the outputs' names and of what the file system holds where
// they go; each complains of the rows it refuses and drops them.

// A row's output name made a path inside the output folder, or why not: no
// control characters, none of the characters FAT sticks and SMB shares
// cannot hold, and no part longer than the file system allows.
Result<QString> outputInside(const QString& name, int longestName);

// Outputs that would be one file, or a file where another needs a folder,
// once letter case is ignored.
void refuseCollisions(QList<PlannedOutput>& outputs, Complaints& bad);

// Links, files in the way, outputs that exist, the template and the table.
void refuseWhatIsOnDisk(QList<PlannedOutput>& outputs, const BatchTemplate& templ,
                        const std::optional<FileIdentity>& table, const BatchRequest& request,
                        Complaints& bad);

// Every caution of every output, for --strict.
void refuseCautions(QList<PlannedOutput>& outputs, Complaints& bad);

// Whether the output folder's file system has room for all of them.
void refuseWithoutRoom(const QList<PlannedOutput>& outputs, const BatchTemplate& templ,
                       const BatchRequest& request, Complaints& bad);

} // namespace useropts
