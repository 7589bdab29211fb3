// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/WholeFileWriter.h"

#include "files/FileIo.h"
#include "files/FileKind.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#if defined(Q_OS_LINUX)
#include <sys/xattr.h>
#endif
#include <cerrno>
#include <cstring>
#include <optional>
#include <utility>

namespace useropts {

namespace {

QString shownName(const QString& path, const QString& shownAs)
{
    return shownAs.isEmpty() ? QDir::toNativeSeparators(path) : shownAs;
}

Failure cannotWrite(const QString& shown, const QString& why)
{
    return Failure{QStringLiteral("cannot write %1: %2").arg(shown, why)};
}

} // namespace

#if defined(Q_OS_UNIX)

namespace {

using fileio::Descriptor;
using fileio::encoded;
using fileio::readAll;
using fileio::syncFile;

bool writeAllAt(int fd, const QByteArray& bytes)
{
    return fileio::writeAllAt(fd, bytes.constData(), bytes.size(), 0);
}

// A link names the file it points to, even one that does not exist yet: the
// link stays and its target is written.
QString fileBehindLinks(const QString& path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    if (info.exists())
        return info.canonicalFilePath();
    const QString target = info.symLinkTarget();
    return target.isEmpty() ? path : target;
}

bool hasAccessList(const QString& path)
{
#if defined(Q_OS_LINUX)
    return ::getxattr(encoded(path).constData(), "system.posix_acl_access", nullptr, 0) > 0;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// The file that path names once links are followed, as it is now.
struct Target
{
    QString path;
    bool exists = false;
    struct stat old = {};
};

// The target, or why it cannot be written.
Result<Target> writableTarget(const QString& path)
{
    if (Result<> regular = requireRegularFile(path); !regular.ok())
        return regular.failure();
    Target target{fileBehindLinks(path)};
    if (::stat(encoded(target.path).constData(), &target.old) != 0) {
        if (errno != ENOENT)
            return Failure{systemErrorText(errno)};
        return target;
    }
    target.exists = true;
    if (!S_ISREG(target.old.st_mode))
        return Failure{QStringLiteral("it is not a regular file")};
    // A file the user may not write stays as it is, even where the folder
    // would allow replacing it.
    if (::faccessat(AT_FDCWD, encoded(target.path).constData(), W_OK, AT_EACCESS) != 0)
        return Failure{systemErrorText(errno)};
    return target;
}

// A new file beside path, opened for writing. Existing content is private
// until it takes its final owner and mode.
Descriptor createSibling(const QString& path, mode_t mode, QString& created, int& error)
{
    const QFileInfo info(path);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    for (int attempt = 0; attempt < 100; ++attempt) {
        created = stem + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8,
                                                       16, QLatin1Char('0'));
        Descriptor fd(::open(encoded(created).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode));
        if (fd.valid())
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return Descriptor();
        }
    }
    error = EEXIST;
    return Descriptor();
}

// Gives the new file the old one's owner, group and mode; the error
// number, 0 on success.
int takeOver(int fd, const struct stat& old)
{
    // The owner first: changing it clears set-id bits that the mode then
    // puts back.
    if ((old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0)
        return errno;
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return errno;
    struct stat now = {};
    if (::fstat(fd, &now) != 0)
        return errno;
    if (now.st_uid != old.st_uid || now.st_gid != old.st_gid ||
        (now.st_mode & 07777) != (old.st_mode & 07777))
        return EPERM;
    return 0;
}

// Where the old content of a file that could not be put back is kept:
// somewhere the user may write, readable by the user alone.
std::optional<QString> keepCopy(const QString& path, const QByteArray& old)
{
    const QString name = QFileInfo(path).fileName() + QDateTime::currentDateTime().toString(
                                                          QStringLiteral(".'old'-yyyyMMdd-HHmmss"));
    for (const QString& folder : {QDir::tempPath(), QDir::homePath()}) {
        const QString copy = QDir(folder).filePath(name);
        Descriptor fd(::open(encoded(copy).constData(),
                             O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (fd.valid() && writeAllAt(fd.get(), old) && ::fsync(fd.get()) == 0 && fd.close())
            return QDir::toNativeSeparators(copy);
        if (fd.valid())
            ::unlink(encoded(copy).constData());
    }
    return std::nullopt;
}

// Makes the file hold content where it held before: only the blocks that
// differ are written, so holes elsewhere stay holes. The error number, 0 on
// success.
int rewriteBlocks(int fd, const QByteArray& content, const QByteArray& before)
{
    const QList<ByteRun> runs = changedRuns(content, before);
#if defined(Q_OS_LINUX)
    // Room for every block to be written is taken before any byte changes,
    // so a full disk is found while the old content is still whole.
    for (const ByteRun& run : runs) {
        const int e = ::posix_fallocate(fd, off_t(run.offset), off_t(run.length));
        if (e != 0 && e != EINVAL && e != EOPNOTSUPP)
            return e;
    }
#endif
    for (const ByteRun& run : runs) {
        if (!fileio::writeAllAt(fd, content.constData() + run.offset, run.length,
                                off_t(run.offset)))
            return errno;
    }
    if (::ftruncate(fd, off_t(content.size())) != 0 || ::fsync(fd) != 0)
        return errno;
    return 0;
}

std::optional<QString> rewriteInPlace(const QString& path, const QByteArray& bytes)
{
    // Without waiting, for a pipe put in the file's place meanwhile.
    Descriptor fd(::open(encoded(path).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC));
    if (!fd.valid())
        return systemErrorText(errno);
    struct stat st = {};
    if (::fstat(fd.get(), &st) != 0)
        return systemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("it is not a regular file");
    QByteArray old;
    if (!readAll(fd.get(), old)) {
        return QStringLiteral("its old content could not be read to keep it safe: %1")
            .arg(systemErrorText(errno));
    }
    const int error = rewriteBlocks(fd.get(), bytes, old);
    if (error == 0)
        return std::nullopt;
    // Every block the failed write may have changed differs from the old.
    const int restoreError = rewriteBlocks(fd.get(), old, bytes);
    if (restoreError == 0)
        return systemErrorText(error);

    const auto copy = keepCopy(path, old);
    return QStringLiteral("%1, and putting its old content back failed too (%2), so the file may "
                          "be damaged; %3")
        .arg(systemErrorText(error), systemErrorText(restoreError),
             copy ? QStringLiteral("a copy of its old content was kept in %1").arg(*copy)
                  : QStringLiteral("no copy of its old content could be kept either"));
}

} // namespace

FileReplacement::FileReplacement(QString target, QString hidden, QString shown)
    : m_target(std::move(target)), m_hidden(std::move(hidden)), m_shown(std::move(shown)),
      m_removedOnSignal(m_hidden)
{}

FileReplacement::~FileReplacement()
{
    if (!m_done)
        ::unlink(encoded(m_hidden).constData());
}

Result<std::unique_ptr<FileReplacement>>
FileReplacement::make(const QString& path, const QString& shownAs, const Fill& fill)
{
    const QString shown = shownName(path, shownAs);
    const Result<Target> target = writableTarget(path);
    if (!target.ok())
        return cannotWrite(shown, target.failure().reason);
    const Target& file = target.value();
    // A new file cannot carry a second hard link or the access list that
    // may grant other users the file.
    if (file.exists && (file.old.st_nlink != 1 || hasAccessList(file.path)))
        return std::unique_ptr<FileReplacement>();
    QString created;
    int error = 0;
    Descriptor fd = createSibling(file.path, file.exists ? 0600 : 0666, created, error);
    if (!fd.valid()) {
        if (file.exists)
            return std::unique_ptr<FileReplacement>();
        return cannotWrite(shown, systemErrorText(error));
    }
    // It holds the new content, a password among it, until it takes the old
    // file's place.
    std::unique_ptr<FileReplacement> replacement(new FileReplacement(file.path, created, shown));
    error = fill(fd.get(), file.path);
    if (error == 0 && file.exists)
        error = takeOver(fd.get(), file.old);
    if (error == 0 && !fd.close())
        error = errno;
    if (error == 0)
        return replacement;
    // Where it cannot take the old one's owner, group or mode, or the disk
    // is full, the file is rewritten where it is.
    if (file.exists)
        return std::unique_ptr<FileReplacement>();
    return cannotWrite(shown, systemErrorText(error));
}

Result<std::unique_ptr<FileReplacement>> FileReplacement::beside(const QString& path,
                                                                 const QByteArray& bytes,
                                                                 const QList<ByteRun>& runs,
                                                                 const QString& shownAs)
{
    return make(path, shownAs,
                [&](int fd, const QString&) { return fileio::writeRuns(fd, bytes, runs); });
}

Result<std::unique_ptr<FileReplacement>> FileReplacement::copyBeside(const QString& path,
                                                                     const QString& shownAs)
{
    return make(path, shownAs, fileio::copyKeepingHoles);
}

Result<> FileReplacement::commit(ToDisk toDisk)
{
    const bool now = toDisk == ToDisk::Now;
    if ((!now || syncFile(m_hidden)) &&
        ::rename(encoded(m_hidden).constData(), encoded(m_target).constData()) == 0) {
        m_done = true;
        // Make the new name itself durable; a failure here changes nothing
        // the user can act on.
        if (now)
            (void)syncFile(QFileInfo(m_target).absolutePath());
        return {};
    }
    const int error = errno;
    struct stat st = {};
    if (::stat(encoded(m_target).constData(), &st) != 0)
        return cannotWrite(m_shown, systemErrorText(error));
    QByteArray bytes;
    Descriptor fd(::open(encoded(m_hidden).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!fd.valid() || !readAll(fd.get(), bytes))
        return cannotWrite(m_shown, systemErrorText(errno));
    if (const std::optional<QString> why = rewriteInPlace(m_target, bytes))
        return cannotWrite(m_shown, *why);
    return {};
}

Result<> writeWholeFile(const QString& path, const QByteArray& bytes, const QString& shownAs,
                        bool sparse)
{
    const QList<ByteRun> runs = sparse ? dataRuns(bytes) : QList<ByteRun>{{0, bytes.size()}};
    Result<std::unique_ptr<FileReplacement>> beside =
        FileReplacement::beside(path, bytes, runs, shownAs);
    if (!beside.ok())
        return beside.failure();
    if (beside.value())
        return beside.value()->commit(FileReplacement::ToDisk::Now);
    if (const std::optional<QString> why = rewriteInPlace(fileBehindLinks(path), bytes))
        return cannotWrite(shownName(path, shownAs), *why);
    return {};
}

#else

FileReplacement::FileReplacement(QString target, QString hidden, QString shown)
    : m_target(std::move(target)), m_hidden(std::move(hidden)), m_shown(std::move(shown)),
      m_removedOnSignal(m_hidden)
{}

FileReplacement::~FileReplacement()
{
    if (!m_done)
        QFile::remove(m_hidden);
}

// Without the owner and mode to carry over, the file is always written
// through QSaveFile.
Result<std::unique_ptr<FileReplacement>>
FileReplacement::beside(const QString&, const QByteArray&, const QList<ByteRun>&, const QString&)
{
    return std::unique_ptr<FileReplacement>();
}

Result<std::unique_ptr<FileReplacement>> FileReplacement::copyBeside(const QString&, const QString&)
{
    return std::unique_ptr<FileReplacement>();
}

Result<> FileReplacement::commit(ToDisk)
{
    return cannotWrite(m_shown, QStringLiteral("it could not be put in place"));
}

Result<> writeWholeFile(const QString& path, const QByteArray& bytes, const QString& shownAs, bool)
{
    const QString shown = shownName(path, shownAs);
    if (Result<> regular = requireRegularFile(path); !regular.ok())
        return cannotWrite(shown, regular.failure().reason);
    QSaveFile file(path);
    // Unbuffered: a write that fails only when a buffer is flushed (a full
    // disk) would otherwise go unnoticed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return cannotWrite(shown, file.errorString());
    if (file.write(bytes) != bytes.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return cannotWrite(shown, why);
    }
    if (!file.commit())
        return cannotWrite(shown, file.errorString());
    return {};
}

#endif

} // namespace useropts
