// SPDX-License-Identifier: GPL-3.0-or-later
#include "floppy/FloppyImage.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "floppy/FatLayout.h"
#include "floppy/ImageTools.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <array>
#include <optional>

namespace useropts {

namespace {

// Far above any floppy; a disk image that large is not what this edits, and
// saving copies the whole image through memory.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;

constexpr std::array<const char*, 4> kImageSuffixes = {"img", "ima", "vfd", "flp"};

// The attributes a save keeps as they were.
constexpr quint8 kKeptAttributes = kReadOnly | kHidden | kSystem | kArchive;

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

Result<bool> holdsFatFileSystem(QByteArrayView boot, qint64 fileSize)
{
    const std::optional<FatLayout> layout = fatLayout(boot);
    if (!layout)
        return false;
    if (layout->totalBytes > fileSize) {
        return Failure{QStringLiteral("it is a floppy image cut short: its file system takes %1 "
                                      "bytes, but the file holds only %2")
                           .arg(layout->totalBytes)
                           .arg(fileSize)};
    }
    return true;
}

bool namedLikeFloppyImage(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix();
    return std::any_of(kImageSuffixes.begin(), kImageSuffixes.end(), [&](const char* known) {
        return suffix.compare(QLatin1String(known), Qt::CaseInsensitive) == 0;
    });
}

Result<bool> isFloppyImage(const QString& path)
{
    const QFileInfo info(path);
    const bool namedLikeImage = namedLikeFloppyImage(path);
    if (!info.isFile())
        return false; // what is not a regular file is refused where it is read or written
    const Result<QByteArray> start = readFileStart(path, 512);
    if (!start.ok())
        return namedLikeImage ? Result<bool>(start.failure()) : Result<bool>(false);
    return isFloppyImage(path, start.value(), info.size());
}

Result<bool> isFloppyImage(const QString& path, QByteArrayView firstBytes, qint64 size)
{
    const Result<bool> fat =
        holdsFatFileSystem(firstBytes.first(qMin<qsizetype>(firstBytes.size(), 512)), size);
    if (fat.ok() && !fat.value() && namedLikeFloppyImage(path)) {
        return Failure{firstBytes.isEmpty()
                           ? QStringLiteral("it is named like a floppy image but is empty")
                           : QStringLiteral("it is named like a floppy image but holds no FAT "
                                            "file system")};
    }
    return fat;
}

QString settingsFileInImage(const QString& image)
{
    return QStringLiteral("%1 (%2)").arg(shown(image), QLatin1String(kSettingsFileInImage));
}

namespace {

Failure cannotWrite(const QString& image, const Failure& why)
{
    return Failure{
        QStringLiteral("cannot write %1: %2").arg(settingsFileInImage(image), why.reason)};
}

// The root folder entry DOS opens as the settings file, or nothing when there
// is none. mtools takes a long name before an 8.3 name, and copies every
// entry that answers, so where it could take another entry than DOS's, or
// more than one, that is a failure.
Result<std::optional<FolderEntry>> settingsEntry(const QString& image)
{
    const Result<QList<FolderEntry>> entries = readRootFolder(image);
    if (!entries.ok())
        return entries.failure();
    const QString name = QLatin1String(kSettingsFileInImage);
    std::optional<FolderEntry> found;
    for (const FolderEntry& entry : entries.value()) {
        if (entry.shortName.compare(name, Qt::CaseInsensitive) != 0 &&
            entry.longName.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (found)
            return Failure{
                QStringLiteral("its root folder has two entries that answer to %1").arg(name)};
        found = entry;
    }
    if (!found)
        return found;
    if (found->shortName.compare(name, Qt::CaseInsensitive) != 0) {
        return Failure{QStringLiteral("the long name %1 in its root folder belongs to %2, which "
                                      "DOS does not open as %1")
                           .arg(name, found->shortName)};
    }
    if (found->attributes & kFolder)
        return Failure{QStringLiteral("%1 is a folder").arg(name)};
    return found;
}

// Once mcopy has replaced the file, which drops its attributes, it gets
// back those it had; a file that was not there keeps what mcopy gave it.
// The entry as it is then.
Result<FolderEntry> keepAttributes(ProcessRunner& processes, const ImageFolder& folder,
                                   const std::optional<FolderEntry>& before)
{
    const Result<std::optional<FolderEntry>> after = settingsEntry(folder.imagePath());
    if (!after.ok())
        return after.failure();
    if (!after.value())
        return Failure{QStringLiteral("mtools did not store the file")};
    const quint8 wanted = before ? before->attributes & kKeptAttributes : 0;
    if (!before || (after.value()->attributes & kKeptAttributes) == wanted)
        return *after.value();
    if (Result<> set = setSettingsAttributes(processes, folder, wanted); !set.ok())
        return set.failure();
    const Result<std::optional<FolderEntry>> kept = settingsEntry(folder.imagePath());
    if (!kept.ok() || !kept.value() || (kept.value()->attributes & kKeptAttributes) != wanted)
        return Failure{QStringLiteral("mtools did not give the file back its attributes")};
    return *kept.value();
}

// Writes bytes as the settings file into the image the folder holds, once
// its root folder, and with checkFirst its file system, are found sound.
// The entry as written.
Result<FolderEntry> storeSettings(ProcessRunner& processes, const ImageFolder& folder,
                                  const QByteArray& bytes, bool checkFirst)
{
    const Result<std::optional<FolderEntry>> before = settingsEntry(folder.imagePath());
    if (!before.ok())
        return before.failure();
    if (checkFirst) {
        if (Result<> sound = checkFileSystem(processes, folder); !sound.ok())
            return sound.failure();
    }
    if (Result<> copied = copySettingsIn(processes, folder, bytes); !copied.ok())
        return copied.failure();
    return keepAttributes(processes, folder, before.value());
}

// storeSettings on a sound file system, and the file read back: it must
// hold the bytes, along an unbroken chain.
Result<> storeChecked(ProcessRunner& processes, const ImageFolder& folder, const QByteArray& bytes)
{
    const Result<FolderEntry> stored = storeSettings(processes, folder, bytes, true);
    if (!stored.ok())
        return stored.failure();
    const Result<QByteArray> content =
        readFileInImage(folder.imagePath(), stored.value(), Chain::Exact);
    if (stored.value().size != quint32(bytes.size()) || !content.ok() || content.value() != bytes)
        return Failure{QStringLiteral("mtools did not store the file whole")};
    return {};
}

// Whether the image can be written: it may have changed since it was
// opened.
Result<> checkStillAnImage(const QString& image)
{
    const Result<bool> fat = isFloppyImage(image);
    if (!fat.ok())
        return fat.failure();
    if (!fat.value())
        return Failure{QStringLiteral("it no longer holds a FAT file system")};
    if (QFileInfo(image).size() > kMaxImageBytes) {
        return Failure{QStringLiteral("it is larger than %1 MB, far larger than a floppy")
                           .arg(kMaxImageBytes / (1024 * 1024))};
    }
    return {};
}

std::optional<QByteArray> readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// An image that no new file can replace (a second hard link, another
// user's, an access list) is rewritten in place from a private copy that
// mtools works on, only the blocks that change.
Result<> rewriteThroughCopy(ProcessRunner& processes, const QString& image, const QByteArray& bytes)
{
    const std::optional<QByteArray> old = readWhole(image);
    if (!old)
        return cannotWrite(image, Failure{QStringLiteral("it could not be read")});
    ImageFolder folder;
    if (Result<> copied = folder.copyOf(*old); !copied.ok())
        return cannotWrite(image, copied.failure());
    if (Result<> stored = storeChecked(processes, folder, bytes); !stored.ok())
        return cannotWrite(image, stored.failure());
    const std::optional<QByteArray> updated = readWhole(folder.imagePath());
    if (!updated)
        return cannotWrite(image,
                           Failure{QStringLiteral("the working copy could not be read back")});
    return writeWholeFile(image, *updated, settingsFileInImage(image), true);
}

} // namespace

Result<QByteArray> readSettingsFromImage(ProcessRunner&, const QString& image)
{
    const Result<std::optional<FolderEntry>> entry = settingsEntry(image);
    if (!entry.ok())
        return entry.failure();
    if (!entry.value())
        return Failure{QStringLiteral("it has no %1 in its root folder")
                           .arg(QLatin1String(kSettingsFileInImage))};
    if (entry.value()->size > kMaxImageBytes)
        return Failure{QStringLiteral("its %1 is larger than %2 MB")
                           .arg(QLatin1String(kSettingsFileInImage))
                           .arg(kMaxImageBytes / (1024 * 1024))};
    // Read as DOS reads it: however the chain goes on past the file's end,
    // the file is there whole.
    return readFileInImage(image, *entry.value(), Chain::AsDosReads);
}

Result<bool> imageHoldsSettings(ProcessRunner&, const QString& image)
{
    const Result<std::optional<FolderEntry>> entry = settingsEntry(image);
    if (!entry.ok())
        return entry.failure();
    return entry.value().has_value();
}

Result<> checkImageFileSystem(ProcessRunner& processes, const QString& image)
{
    ImageFolder folder;
    if (Result<> linked = folder.linkTo(image); !linked.ok())
        return linked;
    return checkFileSystem(processes, folder);
}

Result<> writeSettingsIntoFreshImage(ProcessRunner& processes, const QString& image,
                                     const QByteArray& bytes)
{
    ImageFolder folder;
    if (Result<> linked = folder.linkTo(image); !linked.ok())
        return cannotWrite(image, linked.failure());
    if (const Result<FolderEntry> stored = storeSettings(processes, folder, bytes, false);
        !stored.ok())
        return cannotWrite(image, stored.failure());
    return {};
}

Result<std::unique_ptr<FileReplacement>>
prepareSettingsInImage(ProcessRunner& processes, const QString& image, const QByteArray& bytes)
{
    if (Result<> writable = checkStillAnImage(image); !writable.ok())
        return cannotWrite(image, writable.failure());
    // mtools changes an image where it lies, so it works on a new image
    // made beside the old one, a copy with its holes; and a damaged file
    // system is never written: mtools would free or overwrite clusters that
    // another file or the second table still holds.
    Result<std::unique_ptr<FileReplacement>> replacement =
        FileReplacement::copyBeside(image, settingsFileInImage(image));
    if (!replacement.ok() || !replacement.value())
        return replacement;
    ImageFolder folder;
    if (Result<> linked = folder.linkTo(replacement.value()->hiddenPath()); !linked.ok())
        return cannotWrite(image, linked.failure());
    if (Result<> stored = storeChecked(processes, folder, bytes); !stored.ok())
        return cannotWrite(image, stored.failure());
    return replacement;
}

Result<> writeSettingsIntoImage(ProcessRunner& processes, const QString& image,
                                const QByteArray& bytes)
{
    const Result<std::unique_ptr<FileReplacement>> prepared =
        prepareSettingsInImage(processes, image, bytes);
    if (!prepared.ok())
        return prepared.failure();
    if (!prepared.value())
        return rewriteThroughCopy(processes, image, bytes);
    return prepared.value()->commit(FileReplacement::ToDisk::Now);
}

} // namespace useropts
