// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileHead.h"

#include "files/FileKind.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <cerrno>

namespace useropts {

namespace {

Result<> openRegularFile(QFile& file, const QString& path)
{
    const auto cannotOpen = [](const QString& why) {
        return Failure{QStringLiteral("it cannot be opened: %1").arg(why)};
    };
#if defined(Q_OS_UNIX)
    // Opened without waiting and checked once open: the name may have been
    // given to a pipe since it was looked at.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return cannotOpen(systemErrorText(errno));
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Failure{QStringLiteral("it is not a regular file")};
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return cannotOpen(file.errorString());
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly))
        return cannotOpen(file.errorString());
#endif
    return {};
}

// A regular file opened for reading, or why not.
Result<> openForReading(QFile& file, const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists()) {
        return Failure{info.isSymLink() ? QStringLiteral("it links to %1, which does not exist")
                                              .arg(QDir::toNativeSeparators(info.symLinkTarget()))
                                        : QStringLiteral("it does not exist")};
    }
    if (Result<> regular = requireRegularFile(path); !regular.ok())
        return regular;
    return openRegularFile(file, path);
}

} // namespace

Result<QByteArray> readFileStart(const QString& path, qint64 count)
{
    QFile file;
    if (Result<> opened = openForReading(file, path); !opened.ok())
        return opened.failure();
    QByteArray bytes = file.read(count);
    if (file.error() != QFileDevice::NoError)
        return Failure{QStringLiteral("reading it failed: %1").arg(file.errorString())};
    return bytes;
}

Result<> readFileHead(const QString& path, int lineCount, qint64 maxBytes, QByteArray& bytes,
                      const ReadOn& readOn)
{
    bytes.clear();
    QFile file;
    if (Result<> opened = openForReading(file, path); !opened.ok())
        return opened;

    const auto failWith = [&](QString reason) {
        bytes.truncate(bytes.lastIndexOf('\r') + 1);
        return Failure{std::move(reason)};
    };
    constexpr qint64 kBlock = 64 * 1024;
    int lineEnds = 0;
    while (lineEnds < lineCount) {
        const qsizetype start = bytes.size();
        if (start >= maxBytes) {
            return failWith(QStringLiteral("its first %1 lines are longer than %2 MB in all")
                                .arg(lineCount)
                                .arg(maxBytes / (1024 * 1024)));
        }
        const qint64 wanted = qMin(kBlock, maxBytes - start);
        bytes.resize(start + wanted);
        const qint64 got = file.read(bytes.data() + start, wanted);
        bytes.truncate(start + qMax<qint64>(got, 0));
        if (got < 0)
            return failWith(
                QStringLiteral("reading it failed part way: %1").arg(file.errorString()));
        if (start == 0 && readOn && !readOn(bytes, file.size()))
            return {};
        if (got == 0)
            break; // the end of the file
        for (qsizetype i = start; i < bytes.size(); ++i) {
            if (bytes[i] == '\r' && ++lineEnds == lineCount) {
                bytes.truncate(i + 1);
                break;
            }
        }
    }
    return {};
}

} // namespace useropts
