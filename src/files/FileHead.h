// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <functional>

namespace useropts {

// Told the file's first bytes (64 KB, or all of a shorter file) and its
// size, whether to read on: false ends the reading there, for a file that
// turns out to be of another kind (a floppy image, say).
using ReadOn = std::function<bool(QByteArrayView firstBytes, qint64 size)>;

// Reads a regular file into bytes up to and including its lineCount-th line
// end (a carriage return), or to its end if it has fewer lines; the rest of
// the file is never read, however large it is. Holding more than maxBytes
// before that line end is a failure. On a failure, bytes holds the whole
// lines read before it. With readOn, the file is opened once to tell its kind
// and read it; when readOn says no, bytes holds the first bytes alone.
Result<> readFileHead(const QString& path, int lineCount, qint64 maxBytes, QByteArray& bytes,
                      const ReadOn& readOn = {});

// The first count bytes of a regular file, or all of a shorter one.
Result<QByteArray> readFileStart(const QString& path, qint64 count);

} // namespace useropts
