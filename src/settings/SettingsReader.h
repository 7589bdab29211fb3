#pragma once

#include "settings/ComputerName.h"
#include "settings/EditorFields.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace useropts {

struct ReadFailure
{
    int line = 0; // 1-based line at which reading stopped
    QString reason;
};

struct ReadOutcome
{
    int lastLineApplied = 3; // the fields of lines 4 .. lastLineApplied were set
    std::optional<ReadFailure> failure;
    bool ok() const { return !failure; }
};

struct ReadOptions
{
    UnitRandom random = timeSeededUnitRandom;
    // Called right after each field has been set, in line order, so that a
    // caller can show it at once (the DHCP choice governs later fields).
    std::function<void(Field)> fieldApplied;
};

// Reads lines 4 to 23 into fields, one line at a time. On a failure the
// fields of earlier lines keep their new values and the failing line and all
// later ones keep what they held before.
ReadOutcome readSettings(const QByteArray& bytes, EditorFields& fields,
                         const ReadOptions& options = {});

// The text shown for a line 13 value: the plain form of its leading number.
// Nothing when the number is too large to represent.
std::optional<QString> timeOutFromFile(QStringView fileValue);

} // namespace useropts
