#pragma once

#include <QString>

#include <optional>

namespace useropts {

// Why path, once its links are followed, is not a regular file, as a clause
// for the user ("it is a named pipe, not a regular file"); nothing when it is
// one or does not exist. A pipe or a device must never be opened: a pipe
// keeps the window waiting until someone writes into it, and a device such
// as /dev/zero never ends.
std::optional<QString> notARegularFile(const QString& path);

// The clause for an error number, such as "permission denied".
QString systemErrorText(int errorNumber);

} // namespace useropts
