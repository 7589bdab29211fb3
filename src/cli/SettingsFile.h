// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "floppy/ProcessRunner.h"
#include "floppy/SettingsPlace.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace useropts {

// A settings file as the command reads it: as the window's Open does, but
// with the computer name as the file holds it, for a name beginning with KZ
// is drawn afresh only where the window shows it.
struct CommandRead
{
    OpenedSettings opened;
    EditorFields fields;
};

CommandRead readForCommand(ProcessRunner& processes, const QString& path);

// Why a file could not be read whole, as the command says it after its
// name: "cannot read a.bat: it does not exist" or "site.img: line 2: the
// file ends before line 2".
QString unreadableMessage(const QString& path, const Failure& failure);

// Builds the whole file as the window's Save does. A value the file cannot
// hold fails, naming its setting by its name in the file.
Result<QByteArray> buildSettingsFile(const EditorFields& fields);

// The file read whole with the lines of the settings named written anew
// from fields and every other byte kept; failures name their setting.
Result<QByteArray> editSettingsFile(const QByteArray& whole, const EditorFields& fields,
                                    const QList<Field>& settings);

// The cautions for a file, what the boot will do with values that will not
// work, each naming its setting by its name in the file: "USERNAME: holds
// '>': when the floppy boots, ...".
QStringList cautionsFor(const QByteArray& file);

} // namespace useropts
