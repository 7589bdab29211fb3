#pragma once

#include "common/Result.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>

namespace useropts {

// Builds the whole file in memory, so that a failure on any line leaves
// nothing half-written: 23 lines, each ending in CR LF. A failure names the
// line that could not be written.
Result<QByteArray> writeSettings(const EditorFields& fields);

// What line 4 stores of the card choice's text: the code before the first
// blank; the whole text when it has no blank or starts with one.
QString cardCode(const QString& nicText);

} // namespace useropts
