// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QString>

namespace useropts {

// The stored password is scrambled, not encrypted: every code of the file's
// character set is shifted by its position (1 for the first character), which
// the boot menu undoes. Anyone who can read the file can read the password.

// The stored form of a typed password. Fails on a character without a code,
// and on a code that its position would push past 255.
Result<QString> Encrypt(const QString& plain);

// The typed form of a stored password. Fails on a code smaller than its
// position.
Result<QString> Decrypt(const QString& stored);

} // namespace useropts
