#pragma once

#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace useropts {

struct WriteFailure
{
    int line = 0; // 1-based line that could not be written
    Field field = Field::cboNIC;
    QString reason;
};

struct WriteOutcome
{
    QByteArray bytes; // the whole file; empty on failure
    std::optional<WriteFailure> failure;
    bool ok() const { return !failure; }
};

// Builds the whole file in memory, so that a failure on any line leaves
// nothing half-written: 23 lines, each ending in CR LF.
WriteOutcome writeSettings(const EditorFields& fields);

// What line 4 stores of the card choice's text: the code before the first
// blank; the whole text when it has no blank or starts with one.
QString cardCode(const QString& nicText);

} // namespace useropts
