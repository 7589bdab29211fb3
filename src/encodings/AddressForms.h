// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace useropts {

// An address is stored with a blank wherever the window shows a dot. Neither
// direction checks that the text is an address: the file keeps what was typed.
QString RawIP(const QString& shown);
QString NiceIP(const QString& stored);

} // namespace useropts
