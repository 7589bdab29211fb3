// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace useropts {

// The maker's web site: the header link shows and opens it, the read warning
// points users to it for newer editors, and the card list comes from it.
inline constexpr char kMakerSiteHost[] = "www.corvane.example";

} // namespace useropts
