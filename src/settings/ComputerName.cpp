// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/ComputerName.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>

namespace useropts {

double timeSeededUnitRandom()
{
    // Nanoseconds since midnight, so that two reads in the same second still
    // give different names.
    using namespace std::chrono;
    const auto now = system_clock::now().time_since_epoch();
    const auto sinceMidnight = duration_cast<nanoseconds>(now % days(1)).count();
    std::mt19937_64 engine(static_cast<std::uint64_t>(sinceMidnight));
    return std::generate_canonical<double, 53>(engine);
}

QString applyComputerNameRule(const QString& name, const UnitRandom& random)
{
    if (!name.startsWith(QStringLiteral("KZ"), Qt::CaseSensitive))
        return name;
    const double r = std::clamp(random(), 0.0, 1.0);
    // Rounding near r = 1 must not reach 10000000: the name has seven digits at most.
    const long n = std::clamp(static_cast<long>(std::floor(r * 9999999.0 + 1.0)), 1L, 9999999L);
    return QStringLiteral("KZ") + QString::number(n);
}

} // namespace useropts
