#pragma once

#include "settings/EditorFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace useropts {

// USEROPTS.BAT has two readers. The boot menu takes every value whole by its
// position; the DOS shell runs the file at boot and treats a few characters
// as its own: on a "Set" line it cuts the value at <, > or | (redirection and
// pipes) and takes % for a variable, and on a "rem" line it still acts on
// the redirection (a ">" creates a file on the boot disk). The password's
// line is a label, which the shell skips. The bytes stay as written; the
// user is told.
struct ShellCaution
{
    Field field;
    QChar character;
    QString text; // "Username holds '>': when the floppy boots, ..."
};

// One caution for each setting of a whole file, as the writer makes it,
// whose line holds such a character: the first one found on that line.
QList<ShellCaution> shellCautions(const QByteArray& file);

} // namespace useropts
