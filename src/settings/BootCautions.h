// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace useropts {

// The file keeps every value exactly as typed, and the boot menu reads it
// back whole; but when the floppy boots, the DOS shell runs the file and the
// DOS network client takes the values, and some will not work there: a name
// too long for the client, an address that is not one, a time-out the menu
// reads as another number, a character the shell acts on. The user is told;
// the bytes stay as they are.
struct BootCaution
{
    Field field;
    QString problem; // what is wrong with the value: "is 17 characters long"
    QString atBoot;  // "when the floppy boots, the DOS network client ..."
};

// "is 17 characters long: when the floppy boots, ...", to follow the
// setting's caption in the window or its name in the command.
QString cautionText(const BootCaution& caution);

// The cautions for a whole file, as written or as read, in the order of its
// lines. Only what the boot uses is checked: the static addresses only with
// static settings, the DNS server only with the DNS redirector on as well.
QList<BootCaution> bootCautions(const QByteArray& file);

} // namespace useropts
