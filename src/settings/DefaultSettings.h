// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "settings/EditorFields.h"

#include <array>

namespace useropts {

// The built-in starting point for a new USEROPTS.BAT.
EditorFields defaultSettings();

// The order in which New sets the fields; the DHCP choice comes before the
// addresses, which it enables or disables.
const std::array<Field, kFieldCount>& defaultsOrder();

} // namespace useropts
