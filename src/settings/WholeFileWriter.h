#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace useropts {

// Replaces the file at path with bytes, or leaves it exactly as it was.
// The bytes go to a temporary file beside it that takes the old file's place
// only once every byte is on disk. Returns why it failed, or nothing.
std::optional<QString> writeWholeFile(const QString& path, const QByteArray& bytes);

} // namespace useropts
