// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"
#include "files/NewFiles.h"
#include "files/TemporaryFiles.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>
#include <memory>

namespace useropts {

// Replaces the whole content of the file at path with bytes, or leaves it as
// it was, and keeps what belongs to the file: its owner, group and mode, its
// other hard links, and the link that path may be.
//
// The bytes first go to a new file beside it that takes the old one's place
// in one step, once every byte is on disk. Where that new file could not
// carry the old one's owner, group, mode or links, or the folder forbids
// it (a locked folder, another user's file in a sticky one), the file is
// rewritten in place instead: only the blocks that change are written, its
// old content is held in memory and put back on any failure. Pipes, devices
// and folders are refused untouched. With sparse, blocks of zeros in bytes
// stay holes in the new file, so that a sparse floppy image stays sparse.
//
// A failure reads "cannot write <path>: <why>", with shownAs in place of the
// path where it is given.
Result<> writeWholeFile(const QString& path, const QByteArray& bytes, const QString& shownAs = {},
                        bool sparse = false);

// writeWholeFile in two steps, for files that a tool finishes before they
// take the old ones' place, or many files brought to disk together: the new
// file is made beside the old one under a hidden name, with its owner, group
// and mode, and moved over it by commit(). Until then the hidden file, which
// may hold a password, goes with this object and with the program when a
// signal ends it.
class FileReplacement
{
  public:
    // The new file for the one at path (links followed), the runs of bytes
    // written into it and the rest left as holes. Nothing, and no failure,
    // where a new file could not take the old one's place without losing
    // something or could not be made beside it: writeWholeFile rewrites
    // such a file in place. A failure where path cannot be written at all.
    static Result<std::unique_ptr<FileReplacement>> beside(const QString& path,
                                                           const QByteArray& bytes,
                                                           const QList<ByteRun>& runs,
                                                           const QString& shownAs = {});
    // The same, the new file to begin with a copy of the old one, its holes
    // kept where it has them, for a tool that changes a few of its blocks.
    static Result<std::unique_ptr<FileReplacement>> copyBeside(const QString& path,
                                                               const QString& shownAs = {});
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Where the new file is until commit(), for tools that finish it.
    const QString& hiddenPath() const { return m_hidden; }

    enum class ToDisk
    {
        Now,    // the new file reaches the disk before it moves, and its name after
        Flushed // the caller has brought the file system to disk since the new
                // file was finished (flushFileSystem), and does so again after
                // the last commit
    };

    // Moves the new file over the old one. Where the move is refused (the
    // old file is immutable, the folder was locked meanwhile), the old file
    // is rewritten in place, on disk at once.
    Result<> commit(ToDisk toDisk);

  private:
    // Fills the new file, given its descriptor and the old file's path; the
    // error number, 0 on success.
    using Fill = std::function<int(int, const QString&)>;

    FileReplacement(QString target, QString hidden, QString shown);
    static Result<std::unique_ptr<FileReplacement>> make(const QString& path,
                                                         const QString& shownAs, const Fill& fill);

    QString m_target;
    QString m_hidden;
    QString m_shown;
    TemporaryPath m_removedOnSignal;
    bool m_done = false;
};

} // namespace useropts
