#pragma once

#include "common/Result.h"
#include "floppy/ProcessRunner.h"

#include <QByteArray>
#include <QString>

namespace useropts {

// Where a settings file lies: a USEROPTS.BAT of its own, or the one inside a
// floppy image. The window and the command open and save through here.
struct SettingsPlace
{
    QString path;
    bool image = false;
};

// Which of the two path is, told by its content; a failure says why it can
// be neither ("it is named like a floppy image but is empty").
Result<SettingsPlace> settingsPlace(const QString& path);

// The bytes of the settings file, read only as far as its last setting's line
// (a plain file's rest, however large, is never read). On a failure, bytes
// holds the whole lines read before it.
Result<> readSettingsBytes(ProcessRunner& processes, const SettingsPlace& place, QByteArray& bytes);

// Replaces the file, or the one in the image, whole or not at all.
Result<> writeSettingsBytes(ProcessRunner& processes, const SettingsPlace& place,
                            const QByteArray& bytes);

} // namespace useropts
