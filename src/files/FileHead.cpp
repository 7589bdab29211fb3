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

bool openRegularFile(QFile& file, const QString& path, QString& why)
{
#if defined(Q_OS_UNIX)
    // Opened without waiting and checked once open: the name may have been
    // given to a pipe since it was looked at.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = QStringLiteral("it cannot be opened: %1").arg(systemErrorText(errno));
        return false;
    }
    struct stat st = {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        why = QStringLiteral("it is not a regular file");
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        why = QStringLiteral("it cannot be opened: %1").arg(file.errorString());
        return false;
    }
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        why = QStringLiteral("it cannot be opened: %1").arg(file.errorString());
        return false;
    }
#endif
    return true;
}

} // namespace

FileHead readFileHead(const QString& path, int lineCount, qint64 maxBytes)
{
    FileHead head;
    const QFileInfo info(path);
    if (!info.exists()) {
        head.failure = info.isSymLink() ? QStringLiteral("it links to %1, which does not exist")
                                              .arg(QDir::toNativeSeparators(info.symLinkTarget()))
                                        : QStringLiteral("it does not exist");
        return head;
    }
    if ((head.failure = notARegularFile(path)))
        return head;
    QFile file;
    QString why;
    if (!openRegularFile(file, path, why)) {
        head.failure = why;
        return head;
    }

    const auto failWith = [&](QString reason) {
        head.bytes.truncate(head.bytes.lastIndexOf('\r') + 1);
        head.failure = std::move(reason);
        return head;
    };
    constexpr qint64 kBlock = 64 * 1024;
    int lineEnds = 0;
    while (lineEnds < lineCount) {
        const qsizetype start = head.bytes.size();
        if (start >= maxBytes) {
            return failWith(QStringLiteral("its first %1 lines are longer than %2 MB in all")
                                .arg(lineCount)
                                .arg(maxBytes / (1024 * 1024)));
        }
        const qint64 wanted = qMin(kBlock, maxBytes - start);
        head.bytes.resize(start + wanted);
        const qint64 got = file.read(head.bytes.data() + start, wanted);
        head.bytes.truncate(start + qMax<qint64>(got, 0));
        if (got < 0)
            return failWith(
                QStringLiteral("reading it failed part way: %1").arg(file.errorString()));
        if (got == 0)
            break; // the end of the file
        for (qsizetype i = start; i < head.bytes.size(); ++i) {
            if (head.bytes[i] == '\r' && ++lineEnds == lineCount) {
                head.bytes.truncate(i + 1);
                break;
            }
        }
    }
    return head;
}

} // namespace useropts
