// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace useropts {

// Builds the whole file in memory, so that a failure on any line leaves
// nothing half-written: 23 lines, each ending in CR LF. A failure names the
// line that could not be written.
Result<QByteArray> writeSettings(const EditorFields& fields);

// The file with the lines of the settings named written anew from fields, as
// writeSettings writes them, and every other byte as it was: the header
// lines, the other settings' lines, the lines after the last setting's and
// every line end. Each new line keeps the file's own text in front of its
// value. The file must hold every setting's line, and the fields must be
// what it holds but for the settings named; fails as writeSettings does,
// also for a value of another setting that no save may write (a line feed
// read from the file).
Result<QByteArray> writeSettingsLines(const QByteArray& file, const EditorFields& fields,
                                      const QList<Field>& settings);

// What line 4 stores of the card choice's text: the code before the first
// blank; the whole text when it has no blank or starts with one.
QString cardCode(const QString& nicText);

} // namespace useropts
