#pragma once

#include "common/Result.h"
#include "floppy/ProcessRunner.h"
#include "floppy/SettingsPlace.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

// Which of the two path is, by its content; a failure says why it can be
// neither ("cannot read a.img: it is named like a floppy image but is empty").
Result<SettingsPlace> placeToRead(const QString& path);

struct OpenedSettings
{
    EditorFields fields;
    int settingsRead = 0; // from line 4 on, in the order of the lines
    // Why reading stopped early, as shown after the program's name:
    // "line 13: the time-out ..." or "cannot read a.bat: it does not exist".
    std::optional<Failure> failure;
};

// Reads as the window's Open does, computer name rule included, and only as
// far as the last setting's line.
OpenedSettings openSettings(ProcessRunner& processes, const SettingsPlace& place);

// Builds the whole file as the window's Save does. A value the file cannot
// hold fails, naming its setting by its name in the file.
Result<QByteArray> buildSettingsFile(const EditorFields& fields);

// The window's cautions for a file it would save, each naming its setting by
// its name in the file: "USERNAME holds '>': when the floppy boots, ...".
QStringList cautionsFor(const QByteArray& file);

} // namespace useropts
