#include "files/NewFiles.h"

#include "files/FileKind.h"

#include <QDir>
#include <QFile>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <unistd.h>
#endif
#include <cerrno>

namespace useropts {

namespace {

constexpr qsizetype kBlock = 4096;

Failure cannotWrite(const QString& path, const QString& why)
{
    return Failure{QStringLiteral("cannot write %1: %2").arg(QDir::toNativeSeparators(path), why)};
}

} // namespace

QList<ByteRun> dataRuns(const QByteArray& bytes)
{
    QList<ByteRun> runs;
    for (qsizetype at = 0; at < bytes.size(); at += kBlock) {
        const qsizetype length = qMin(kBlock, bytes.size() - at);
        const char* block = bytes.constData() + at;
        bool zeros = true;
        for (qsizetype i = 0; i < length && zeros; ++i)
            zeros = block[i] == 0;
        if (zeros)
            continue;
        if (!runs.isEmpty() && runs.last().offset + runs.last().length == at)
            runs.last().length += length;
        else
            runs.append({at, length});
    }
    return runs;
}

#if defined(Q_OS_UNIX)

Result<> writeNewFile(const QString& path, const QByteArray& bytes, const QList<ByteRun>& runs)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return cannotWrite(path, systemErrorText(errno));
    int error = 0;
    if (::ftruncate(fd, off_t(bytes.size())) != 0)
        error = errno;
    for (const ByteRun& run : runs) {
        for (qsizetype done = 0; error == 0 && done < run.length;) {
            const ssize_t n = ::pwrite(fd, bytes.constData() + run.offset + done,
                                       size_t(run.length - done), off_t(run.offset + done));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                error = n == 0 ? ENOSPC : errno;
            else
                done += n;
        }
    }
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0)
        return {};
    ::unlink(name.constData());
    return cannotWrite(path, systemErrorText(error));
}

Result<> flushFileSystem(const QString& folder)
{
    int error = 0;
#if defined(Q_OS_LINUX)
    const int fd =
        ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

Result<> flushFileSystem(const QString&)
{
    return {};
}

#endif

} // namespace useropts
