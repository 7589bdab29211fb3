#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace useropts {

struct FileHead
{
    QByteArray bytes; // on a failure, the whole lines read before it
    // Why the file could not be read as far as asked, as a clause for the
    // user; the lines read before the failure are in bytes.
    std::optional<QString> failure;
};

// Reads a regular file up to and including its lineCount-th line end (a
// carriage return), or to its end if it has fewer lines. A file that holds more than maxBytes
// before that line end is a failure. The rest of the file is never read, however large it is.
FileHead readFileHead(const QString& path, int lineCount, qint64 maxBytes);

} // namespace useropts
