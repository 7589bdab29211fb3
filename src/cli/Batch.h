#pragma once

#include "floppy/ProcessRunner.h"

#include <QString>

namespace useropts {

struct BatchRequest
{
    QString templatePath;
    QString tablePath;
    QString outputFolder; // as given, for messages
    bool force = false;   // replace outputs that exist
};

// Writes one settings file or image for each row of the table, or, when any
// row is bad, nothing at all; returns the exit status.
int runBatch(const BatchRequest& request, ProcessRunner& processes);

} // namespace useropts
