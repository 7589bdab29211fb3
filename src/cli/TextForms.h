// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace useropts {

// A value on one line: backslash and control characters as C escapes (\n,
// \r, \t, \\ and \xNN for the others), so that a line feed in a value, which
// the file allows, cannot pass for the next setting, nor what a user typed
// split a message in two.
QString escapedValue(const QString& value);

// Text for a message on a terminal: control characters as C escapes, the
// rest as it stands, so that a path or a table cell cannot move the cursor,
// change colours or split the message in two.
QString escapedControls(const QString& text);

// A JSON string literal, quotes included.
QString jsonString(const QString& value);

} // namespace useropts
