// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/NewFiles.h"

#include "files/FileIo.h"
#include "files/FileKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#endif
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

namespace useropts {

namespace {

constexpr qsizetype kBlock = 4096;
// Blocks are compared with memcmp, many times faster than byte by byte:
// every save of an image looks through all of it.
constexpr char kZeros[kBlock] = {};

Failure cannotWrite(const QString& path, const QString& why)
{
    return Failure{QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), why)};
}

// Adds a block to the runs, joined to the last where they meet.
void appendBlock(QList<ByteRun>& runs, qsizetype at, qsizetype length)
{
    if (!runs.isEmpty() && runs.last().offset + runs.last().length == at)
        runs.last().length += length;
    else
        runs.append({at, length});
}

} // namespace

QList<ByteRun> dataRuns(const QByteArray& bytes)
{
    QList<ByteRun> runs;
    for (qsizetype at = 0; at < bytes.size(); at += kBlock) {
        const qsizetype length = qMin(kBlock, bytes.size() - at);
        if (std::memcmp(bytes.constData() + at, kZeros, size_t(length)) == 0)
            continue;
        appendBlock(runs, at, length);
    }
    return runs;
}

QList<ByteRun> changedRuns(const QByteArray& bytes, const QByteArray& before)
{
    QList<ByteRun> runs;
    for (qsizetype at = 0; at < bytes.size(); at += kBlock) {
        const qsizetype length = qMin(kBlock, bytes.size() - at);
        if (at + length <= before.size() &&
            std::memcmp(bytes.constData() + at, before.constData() + at, size_t(length)) == 0)
            continue;
        appendBlock(runs, at, length);
    }
    return runs;
}

qint64 bytesOnDisk(const QList<ByteRun>& runs, qint64 blockSize)
{
    qint64 blocks = 0;
    for (const ByteRun& run : runs) {
        if (run.length > 0)
            blocks += (run.offset + run.length - 1) / blockSize - run.offset / blockSize + 1;
    }
    return blocks * blockSize;
}

NewFile::NewFile(QString target, QString hidden)
    : m_target(std::move(target)), m_hidden(std::move(hidden)), m_removedOnSignal(m_hidden)
{}

#if defined(Q_OS_UNIX)

using fileio::encoded;
using fileio::writeRuns;

Result<> writeNewFile(const QString& path, const QByteArray& bytes, const QList<ByteRun>& runs)
{
    const QByteArray name = encoded(path);
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return cannotWrite(path, systemErrorText(errno));
    int error = writeRuns(fd, bytes, runs);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return {};
    ::unlink(name.constData());
    return cannotWrite(path, systemErrorText(error));
}

Result<std::unique_ptr<NewFile>> NewFile::create(const QString& target, const QByteArray& bytes,
                                                 const QList<ByteRun>& runs, unsigned mode)
{
    const QFileInfo info(target);
    const QString stem = info.absolutePath() + QStringLiteral("/.") + info.fileName();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString hidden =
            stem + QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                 QLatin1Char('0'));
        std::unique_ptr<NewFile> file(new NewFile(target, hidden));
        const int fd = ::open(encoded(hidden).constData(),
                              O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode & 0777);
        if (fd < 0 && errno == EEXIST)
            continue; // someone else's: not ours to remove
        if (fd < 0)
            return cannotWrite(target, systemErrorText(errno));
        file->m_created = true;
        int error = writeRuns(fd, bytes, runs);
        if (::close(fd) != 0 && error == 0)
            error = errno;
        if (error != 0)
            return cannotWrite(target, systemErrorText(error));
        return file;
    }
    return cannotWrite(target, systemErrorText(EEXIST));
}

NewFile::~NewFile()
{
    if (m_created && !m_finished)
        ::unlink(encoded(m_hidden).constData());
}

Result<> NewFile::finish()
{
    const QByteArray from = encoded(m_hidden);
    const QByteArray to = encoded(m_target);
    int result = -1;
#if defined(Q_OS_LINUX)
    result = ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE);
    if (result != 0 && errno != EINVAL && errno != ENOSYS)
        return cannotWrite(m_target, systemErrorText(errno));
#endif
    if (result != 0) {
        // A file system that cannot refuse to replace: looked at just before.
        struct stat st = {};
        if (::lstat(to.constData(), &st) == 0)
            return cannotWrite(m_target, systemErrorText(EEXIST));
        if (::rename(from.constData(), to.constData()) != 0)
            return cannotWrite(m_target, systemErrorText(errno));
    }
    m_finished = true;
    return {};
}

Result<> makeFolders(const QString& folder)
{
    // Most often only the folder itself is missing: one call makes it.
    if (::mkdir(encoded(folder).constData(), 0777) == 0)
        return {};
    const QString absolute = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    QStringList missing;
    QString up = absolute;
    for (struct stat st = {}; ::stat(encoded(up).constData(), &st) != 0;) {
        if (errno != ENOENT || QFileInfo(up).path() == up)
            break;
        missing.prepend(up);
        up = QFileInfo(up).path();
    }
    for (const QString& path : missing) {
        if (::mkdir(encoded(path).constData(), 0777) != 0 && errno != EEXIST) {
            return Failure{QStringLiteral("cannot make the folder %1: %2")
                               .arg(QDir::toNativeSeparators(path), systemErrorText(errno))};
        }
    }
    return {};
}

Result<> flushFileSystem(const QString& folder)
{
    int error = 0;
#if defined(Q_OS_LINUX)
    const int fd = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::syncfs(fd) != 0)
        error = errno;
    if (fd >= 0)
        ::close(fd);
#else
    ::sync();
#endif
    if (error == 0)
        return {};
    return Failure{QStringLiteral("cannot bring what was written in %1 to disk: %2")
                       .arg(QDir::toNativeSeparators(folder), systemErrorText(error))};
}

std::optional<FileIdentity> fileIdentity(const QString& path)
{
    struct stat st = {};
    if (::stat(encoded(path).constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{quint64(st.st_dev), quint64(st.st_ino)};
}

unsigned permissionBits(const QString& path)
{
    struct stat st = {};
    if (::stat(encoded(path).constData(), &st) != 0)
        return 0600;
    return unsigned(st.st_mode) & 0777;
}

std::optional<QString> symbolicLinkBelow(const QString& base, const QString& relative)
{
    QString path = base;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = QDir(path).filePath(part);
        struct stat st = {};
        if (::lstat(encoded(path).constData(), &st) != 0)
            return std::nullopt;
        if (S_ISLNK(st.st_mode))
            return path;
    }
    return std::nullopt;
}

FileSystemRoom fileSystemRoom(const QString& path)
{
    QString existing = QFileInfo(path).absoluteFilePath();
    while (!QFileInfo::exists(existing) && QFileInfo(existing).path() != existing)
        existing = QFileInfo(existing).path();
    FileSystemRoom room;
    struct statvfs fs = {};
    if (::statvfs(encoded(existing).constData(), &fs) != 0)
        return room;
    const qint64 unit = fs.f_frsize ? qint64(fs.f_frsize) : qint64(fs.f_bsize);
    room.freeBytes = qint64(fs.f_bavail) * unit;
    room.blockSize = unit > 0 ? unit : room.blockSize;
    if (fs.f_namemax > 0)
        room.longestName = int(qMin<unsigned long>(fs.f_namemax, 4096));
    return room;
}

#else

Result<> writeNewFile(const QString& path, const QByteArray& bytes, const QList<ByteRun>& runs)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return cannotWrite(path, file.errorString());
    bool written = file.resize(bytes.size());
    for (const ByteRun& run : runs) {
        written = written && file.seek(run.offset) &&
                  file.write(bytes.constData() + run.offset, run.length) == run.length;
    }
    if (written && file.flush())
        return {};
    const QString why = file.errorString();
    file.close();
    file.remove();
    return cannotWrite(path, why);
}

Result<std::unique_ptr<NewFile>> NewFile::create(const QString& target, const QByteArray& bytes,
                                                 const QList<ByteRun>& runs, unsigned)
{
    const QFileInfo info(target);
    std::unique_ptr<NewFile> file(new NewFile(
        target, info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                    QStringLiteral(".%1.new").arg(QRandomGenerator::global()->generate(), 8, 16,
                                                  QLatin1Char('0'))));
    QFile out(file->m_hidden);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return cannotWrite(target, out.errorString());
    file->m_created = true;
    bool written = out.resize(bytes.size());
    for (const ByteRun& run : runs) {
        written = written && out.seek(run.offset) &&
                  out.write(bytes.constData() + run.offset, run.length) == run.length;
    }
    if (!written)
        return cannotWrite(target, out.errorString());
    return file;
}

NewFile::~NewFile()
{
    if (m_created && !m_finished)
        QFile::remove(m_hidden);
}

Result<> NewFile::finish()
{
    if (QFileInfo::exists(m_target) || !QFile::rename(m_hidden, m_target))
        return cannotWrite(m_target, QStringLiteral("it could not be put in place"));
    m_finished = true;
    return {};
}

Result<> makeFolders(const QString& folder)
{
    if (QDir().mkpath(folder))
        return {};
    return Failure{
        QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(folder))};
}

Result<> flushFileSystem(const QString&)
{
    return {};
}

std::optional<FileIdentity> fileIdentity(const QString&)
{
    return std::nullopt;
}

unsigned permissionBits(const QString&)
{
    return 0600;
}

std::optional<QString> symbolicLinkBelow(const QString& base, const QString& relative)
{
    QString path = base;
    for (const QString& part : relative.split(u'/', Qt::SkipEmptyParts)) {
        path = QDir(path).filePath(part);
        if (QFileInfo(path).isSymLink())
            return path;
    }
    return std::nullopt;
}

FileSystemRoom fileSystemRoom(const QString&)
{
    return {};
}

#endif

} // namespace useropts
