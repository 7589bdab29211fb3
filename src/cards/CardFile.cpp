// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CardFile.h"

#include "common/Messages.h"

#include "cards/CardList.h"
#include "files/FileKind.h"
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

QString cardFolderToRead(const CardPlaces& places)
{
    if (places.shipped.isEmpty() || findCardFile(places.own))
        return places.own;
    return places.shipped;
}

QString cardFileForUpdate(const QString& directory)
{
    return findCardFile(directory).value_or(
        QDir(directory).filePath(QString::fromLatin1(kCardFileName)));
}

Result<> storeCardList(const QString& folder, const QByteArray& bytes)
{
    if (!QDir().mkpath(folder)) {
        return Failure{QStringLiteral("cannot create the folder %1 for the card list")
                           .arg(QDir::toNativeSeparators(folder))};
    }
    return writeWholeFile(cardFileForUpdate(folder), bytes);
}

Result<> loadCardFile(const QString& directory, QStringList& entries)
{
    entries.clear();
    const auto fail = [](int errorNumber, const QString& path, const QString& why,
                         FailureKind kind = FailureKind::Other) {
        return Failure{cannotRead(QDir::toNativeSeparators(path), why), 0, errorNumber, kind};
    };
    const auto path = findCardFile(directory);
    const QFileInfo info(path.value_or(QString()));
    if (!path || !info.exists()) { // none, gone since the folder was listed, or a dangling link
        return fail(0, QDir(directory).filePath(QString::fromLatin1(kCardFileName)),
                    QStringLiteral("it does not exist"), FailureKind::Missing);
    }
    // Only a plain file is read: a pipe or a device of that name could keep
    // the window waiting for ever.
    if (Result<> regular = requireRegularFile(*path); !regular.ok())
        return fail(CardFileError::PathAccess, *path, regular.failure().reason);
    QFile file(*path);
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(info.isReadable() ? CardFileError::PathAccess : CardFileError::NoPermission,
                    *path, file.errorString());
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        // Keep the lines that were read whole; the one cut off is not trusted.
        bytes.truncate(bytes.lastIndexOf('\r') + 1);
        entries = cardEntries(bytes);
        return fail(CardFileError::DeviceIO, *path, file.errorString());
    }
    entries = cardEntries(bytes);
    return {};
}

} // namespace useropts
