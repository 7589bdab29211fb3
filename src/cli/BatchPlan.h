// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/Batch.h"
#include "cli/Tables.h"
#include "common/Result.h"
#include "files/NewFiles.h"
#include "floppy/SettingsPlace.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

struct BatchTemplate
{
    SettingsPlace place;
    EditorFields fields;
    bool freshNames = false; // its computer name starts with KZ
    QByteArray image;        // the whole image, for an image template
    QList<ByteRun> imageRuns;
    unsigned permissions = 0600; // what each new output gets, never more
    std::optional<FileIdentity> identity;
};

Result<BatchTemplate> readBatchTemplate(const QString& path, ProcessRunner& processes);

// One output, once every check has passed: what is written and where.
struct PlannedOutput
{
    int row = 0;
    EditorFields fields;
    QByteArray file;  // the settings file as the window would save it
    QString column;   // the header that names the output, for messages
    QString relative; // inside the output folder, cleaned
    QString shown;    // the path as the user gave its parts
    QString path;
    bool exists = false;
    QList<Field> changed; // the settings that differ from the template's
};

// Checks every row and works out every output before anything is written:
// the settings of each row, then the names of the outputs against each other
// (letter case ignored, as FAT sticks and SMB shares ignore it), two
// machines with one name or address, with strict any caution, then the
// outputs against what is on disk. The complaints go to bad.
QList<PlannedOutput> planOutputs(const BatchTemplate& templ, const TableFile& table,
                                 const BatchRequest& request, Complaints& bad);

} // namespace useropts
