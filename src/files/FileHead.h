#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>

namespace useropts {

// Reads a regular file into bytes up to and including its lineCount-th line
// end (a carriage return), or to its end if it has fewer lines; the rest of
// the file is never read, however large it is. Holding more than maxBytes
// before that line end is a failure. On a failure, bytes holds the whole
// lines read before it.
Result<> readFileHead(const QString& path, int lineCount, qint64 maxBytes, QByteArray& bytes);

// The first count bytes of a regular file, or all of a shorter one.
Result<QByteArray> readFileStart(const QString& path, qint64 count);

} // namespace useropts
