// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "files/TemporaryFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

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

// The blocks in which bytes differ from before, and the rest of bytes where
// they are longer: all that a rewrite of a file holding before must write.
QList<ByteRun> changedRuns(const QByteArray& bytes, const QByteArray& before);

// The bytes a file of these runs takes on a file system with blocks of
// blockSize bytes, holes left out.
qint64 bytesOnDisk(const QList<ByteRun>& runs, qint64 blockSize);

// Creates the file at path, which must not exist yet, bytes.size() long with
// the runs of bytes given written into it, readable and writable by its owner
// alone: a private working copy. On a failure nothing is left at path.
Result<> writeNewFile(const QString& path, const QByteArray& bytes, const QList<ByteRun>& runs);

// A file that appears under its name only once it is whole: it is written
// under a hidden name beside the target and moved there by finish(), so a
// program stopped half way, or a full disk, never leaves part of a file, or
// a copy of something else, under the name. Until then the hidden file is
// removed on destruction and when a signal ends the program. Replacing a
// file is the safe writer's work; a new file has nothing to lose, so it is
// not brought to disk one by one but left to flushFileSystem.
class NewFile
{
  public:
    // Creates the hidden file, bytes.size() long with the runs of bytes
    // given written into it, readable and writable by no one beyond mode
    // (less whatever the umask takes away).
    static Result<std::unique_ptr<NewFile>> create(const QString& target, const QByteArray& bytes,
                                                   const QList<ByteRun>& runs, unsigned mode);
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    // Where the file is while it is being written, for tools that finish it.
    const QString& hiddenPath() const { return m_hidden; }

    // Moves the file to its name, which must not exist by then.
    Result<> finish();

  private:
    NewFile(QString target, QString hidden);

    QString m_target;
    QString m_hidden;
    TemporaryPath m_removedOnSignal;
    bool m_created = false;
    bool m_finished = false;
};

// Makes folder and the folders above it that do not exist yet, or says why
// it cannot ("cannot make the folder out/PC01: permission denied").
Result<> makeFolders(const QString& folder);

// Brings everything written to the file system that holds folder to disk:
// one flush, where a thousand new files each brought to disk on its own
// would wait for the disk a thousand times.
Result<> flushFileSystem(const QString& folder);

// A file as the file system knows it, whatever names lead to it.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The file path names once links are followed, or nothing when there is none.
std::optional<FileIdentity> fileIdentity(const QString& path);

// Who may read and write the file at path, as its permission bits (0640);
// 0600 when they cannot be had.
unsigned permissionBits(const QString& path);

// Of the folders and the file that relative names below base, the first that
// is a symbolic link, as base joined with the parts up to it; nothing when
// none is. Parts that do not exist yet end the search.
std::optional<QString> symbolicLinkBelow(const QString& base, const QString& relative);

// What the file system holding path allows, for the nearest part of path
// that exists.
struct FileSystemRoom
{
    qint64 freeBytes = -1; // -1 when unknown
    qint64 blockSize = 4096;
    int longestName = 255; // in bytes
};
FileSystemRoom fileSystemRoom(const QString& path);

} // namespace useropts
