#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace useropts {

// A stretch of bytes to write: offset and length.
struct ByteRun
{
    qsizetype offset;
    qsizetype length;
};

// The parts of bytes that are not all zeros, in blocks of the usual file
// system block size. A floppy image is mostly empty clusters, so its copies
// need only these written: the rest reads back as zeros all the same.
QList<ByteRun> dataRuns(const QByteArray& bytes);

// Creates the file at path, which must not exist yet, bytes.size() long,
// with the runs of bytes given written into it. Replacing a file is the
// safe writer's work; a new file has nothing to lose, so it is written
// directly and left to flushFileSystem. On a failure nothing is left at path.
Result<> writeNewFile(const QString& path, const QByteArray& bytes, const QList<ByteRun>& runs);

// Brings everything written to the file system that holds folder to disk:
// one flush, where a thousand new files each brought to disk on its own
// would wait for the disk a thousand times.
Result<> flushFileSystem(const QString& folder);

} // namespace useropts
