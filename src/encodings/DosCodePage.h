// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QChar>

namespace useropts {

// The character that DOS shows, in its usual code page 437, for a code of
// the file's character set: the file holds é as code 233, which DOS shows as
// Θ. Codes below 128 are the same in both.
QChar shownByDos(unsigned char code);

} // namespace useropts
