#include "cards/CardFile.h"

#include "cards/CardList.h"
#include "files/WholeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace useropts {

std::optional<QString> findCardFile(const QString& directory)
{
    const QDir dir(directory);
    const QString preferred = QString::fromLatin1(kCardFileName);
    // Directories and other odd entries count too: a directory of that name
    // is reported when read, rather than offering a download that could
    // never be stored.
    QStringList names =
        dir.entryList(QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    names.removeIf(
        [&](const QString& name) { return name.compare(preferred, Qt::CaseInsensitive) != 0; });
    if (names.isEmpty())
        return std::nullopt;
    if (names.contains(preferred))
        return dir.filePath(preferred);
    return dir.filePath(*std::min_element(names.cbegin(), names.cend()));
}

QString cardFileForUpdate(const QString& directory)
{
    return findCardFile(directory).value_or(
        QDir(directory).filePath(QString::fromLatin1(kCardFileName)));
}

CardFileLoad loadCardFile(const QString& directory)
{
    CardFileLoad load;
    const auto path = findCardFile(directory);
    if (!path)
        return load;
    const QFileInfo info(*path);
    if (!info.exists()) // gone since the directory was listed, or a dangling link
        return load;

    const auto fail = [&](CardFileError error) {
        load.status = CardFileLoad::Status::Failed;
        load.errorNumber = static_cast<int>(error);
        return load;
    };
    // Only a plain file is read: a pipe or a device of that name could keep
    // the window waiting for ever.
    if (!info.isFile())
        return fail(CardFileError::PathAccess);
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(info.isReadable() ? CardFileError::PathAccess : CardFileError::NoPermission);
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        // Keep the lines that were read whole; the one cut off is not trusted.
        bytes.truncate(bytes.lastIndexOf('\r') + 1);
        load.entries = cardEntries(bytes);
        return fail(CardFileError::DeviceIO);
    }
    load.entries = cardEntries(bytes);
    load.status = CardFileLoad::Status::Loaded;
    return load;
}

std::optional<QString> replaceCardFile(const QString& path, const QByteArray& bytes)
{
    if (const auto why = writeWholeFile(path, bytes)) {
        return QStringLiteral("%1 could not be written: %2.")
            .arg(QDir::toNativeSeparators(path), *why);
    }
    return std::nullopt;
}

} // namespace useropts
