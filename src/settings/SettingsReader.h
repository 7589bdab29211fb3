// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "settings/ComputerName.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>

#include <functional>

namespace useropts {

struct ReadOptions
{
    // The source of the fresh name that stands for one beginning with KZ, as
    // the window's Open shows it; none keeps the name as the file holds it.
    UnitRandom random = timeSeededUnitRandom;
    // Called right after each field has been set, in line order, so that a
    // caller can show it at once (the DHCP choice governs later fields).
    std::function<void(Field)> fieldApplied;
};

// Reads lines 4 to 23 into fields, one line at a time. On a failure, which
// names its line, the fields of earlier lines keep their new values and the
// failing line and all later ones keep what they held before.
Result<> readSettings(const QByteArray& bytes, EditorFields& fields,
                      const ReadOptions& options = {});

// The text shown for a line 13 value: the plain form of its leading number.
// Fails when the number is too large to represent.
Result<QString> timeOutFromFile(QStringView fileValue);

} // namespace useropts
