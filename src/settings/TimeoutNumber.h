// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>
#include <QStringView>

namespace useropts {

// Reads a number from the start of a text the way the boot menu's own
// language does: blanks, tabs and line feeds are skipped wherever they stand;
// a sign, digits with at most one decimal point and an exponent (E or D);
// "&H" and "&O" introduce hexadecimal and octal whole numbers; the first
// character that cannot continue the number ends it; no number at all is 0.
// Fails when the number is too large to represent.
Result<double> readLeadingNumber(QStringView text);

// The plain decimal form: a minus sign only for negative numbers, no leading
// zeros, no exponent, no decimal point for a whole number and no trailing
// zeros after it. The digits are the shortest that read back as the same
// number, so 2.5 stays 2.5 and 1E20 is written out in full.
QString plainNumberText(double value);

} // namespace useropts
