// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <functional>

namespace useropts {

// A uniform draw r with 0 <= r < 1. Each call stands for a freshly seeded
// source, so that two generated names do not follow from each other.
using UnitRandom = std::function<double()>;

// The production source: seeded anew on every call from the time of day.
double timeSeededUnitRandom();

// A name that starts with "KZ" stands for a fresh name on every boot; the
// editor shows one such fresh name ("KZ" and 1 to 9999999). Other names are
// kept exactly as they are.
QString applyComputerNameRule(const QString& name, const UnitRandom& random);

} // namespace useropts
