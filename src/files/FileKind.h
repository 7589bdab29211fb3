// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>

namespace useropts {

// Done when path, once its links are followed, is a regular file or nothing
// at all; otherwise a failure that says what it is ("it is a named pipe, not
// a regular file"). A pipe or a device must never be opened: a pipe keeps
// the window waiting until someone writes into it, and a device such as
// /dev/zero never ends.
Result<> requireRegularFile(const QString& path);

// The clause for an error number, such as "permission denied".
QString systemErrorText(int errorNumber);

} // namespace useropts
