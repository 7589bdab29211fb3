// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileKind.h"

#include "common/Messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#if defined(Q_OS_UNIX)
#include <sys/stat.h>
#endif
#include <cstring>

namespace useropts {

namespace {

QString kindOf(const QString& path)
{
#if defined(Q_OS_UNIX)
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return QStringLiteral("a folder");
        if (S_ISFIFO(st.st_mode))
            return QStringLiteral("a named pipe");
        if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
            return QStringLiteral("a device");
        if (S_ISSOCK(st.st_mode))
            return QStringLiteral("a socket");
    }
#endif
    if (QFileInfo(path).isDir())
        return QStringLiteral("a folder");
    return QStringLiteral("a special file");
}

} // namespace

Result<> requireRegularFile(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    const QString kind = kindOf(path);
    if (info.isSymLink()) {
        return Failure{QStringLiteral("it links to %1, which is %2, not a regular file")
                           .arg(QDir::toNativeSeparators(info.canonicalFilePath()), kind)};
    }
    return Failure{notARegularFile(kind)};
}

QString systemErrorText(int errorNumber)
{
    QString text = QString::fromLocal8Bit(std::strerror(errorNumber));
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}

} // namespace useropts
