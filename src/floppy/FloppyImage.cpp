#include "floppy/FloppyImage.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <optional>

namespace useropts {

namespace {

// Far above any floppy; a disk image that large is not what this edits, and
// saving copies the whole image through memory.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;

constexpr std::array<const char*, 4> kImageSuffixes = {"img", "ima", "vfd", "flp"};

unsigned byteAt(QByteArrayView bytes, qsizetype at)
{
    return static_cast<unsigned char>(bytes[at]);
}

unsigned le16(QByteArrayView bytes, qsizetype at)
{
    return byteAt(bytes, at) | byteAt(bytes, at + 1) << 8;
}

quint32 le32(QByteArrayView bytes, qsizetype at)
{
    return le16(bytes, at) | quint32(le16(bytes, at + 2)) << 16;
}

bool isPowerOfTwo(unsigned value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

// mtools reads its own settings and may refuse an image whose size does not
// match a classic drive's geometry; neither has any bearing here.
ProcessRun mcopy(QStringList arguments, QByteArray input = {})
{
    ProcessRun run;
    run.program = QStringLiteral("mcopy");
    run.arguments = std::move(arguments);
    run.input = std::move(input);
    run.environment = {QStringLiteral("MTOOLS_SKIP_CHECK=1")};
    return run;
}

QString firstLine(const QByteArray& text)
{
    return QString::fromLocal8Bit(text.trimmed().split('\n').value(0)).trimmed();
}

Failure notStarted(const Failure& failure)
{
    return Failure{failure.reason +
                   QStringLiteral(" (mcopy comes with the Debian package mtools)")};
}

} // namespace

Result<bool> holdsFatFileSystem(QByteArrayView boot, qint64 fileSize)
{
    if (boot.size() < 512 || byteAt(boot, 510) != 0x55 || byteAt(boot, 511) != 0xAA)
        return false;
    const unsigned jump = byteAt(boot, 0);
    const unsigned bytesPerSector = le16(boot, 11);
    const unsigned sectorsPerCluster = byteAt(boot, 13);
    const unsigned reserved = le16(boot, 14);
    const unsigned fats = byteAt(boot, 16);
    const unsigned rootEntries = le16(boot, 17);
    const quint64 totalSectors = le16(boot, 19) ? le16(boot, 19) : le32(boot, 32);
    const unsigned media = byteAt(boot, 21);
    // FAT32 keeps its table's size further on and has no fixed root folder.
    const quint64 fatSectors = le16(boot, 22) ? le16(boot, 22) : rootEntries ? 0 : le32(boot, 36);
    const quint64 rootSectors =
        (quint64(rootEntries) * 32 + bytesPerSector - 1) / qMax(bytesPerSector, 1u);
    const bool sane = (jump == 0xEB || jump == 0xE9) &&
                      (bytesPerSector == 512 || bytesPerSector == 1024 || bytesPerSector == 2048 ||
                       bytesPerSector == 4096) &&
                      isPowerOfTwo(sectorsPerCluster) && sectorsPerCluster <= 128 &&
                      reserved >= 1 && (fats == 1 || fats == 2) && totalSectors > 0 &&
                      (media == 0xF0 || media >= 0xF8) && fatSectors > 0 &&
                      reserved + fats * fatSectors + rootSectors < totalSectors;
    if (!sane)
        return false;
    const quint64 needed = totalSectors * bytesPerSector;
    if (needed > quint64(fileSize)) {
        return Failure{QStringLiteral("it is a floppy image cut short: its file system takes %1 "
                                      "bytes, but the file holds only %2")
                           .arg(needed)
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

// The settings file, or nothing when the root folder has none.
Result<std::optional<QByteArray>> readSettingsIfAny(ProcessRunner& processes, const QString& image)
{
    const Result<ProcessOutput> copied = processes.run(
        mcopy({QStringLiteral("-i"), image,
               QStringLiteral("::") + QLatin1String(kSettingsFileInImage), QStringLiteral("-")}));
    if (!copied.ok())
        return notStarted(copied.failure());
    const ProcessOutput& out = copied.value();
    if (out.exitCode != 0) {
        if (out.standardError.contains("not found"))
            return std::optional<QByteArray>();
        return Failure{
            QStringLiteral("mtools could not read it: %1").arg(firstLine(out.standardError))};
    }
    return std::optional<QByteArray>(out.standardOutput);
}

// One mcopy run that writes bytes as the settings file into image in place;
// why it failed, as a clause.
Result<> copySettingsInto(ProcessRunner& processes, const QString& image, const QByteArray& bytes)
{
    const Result<ProcessOutput> copied =
        processes.run(mcopy({QStringLiteral("-o"), QStringLiteral("-i"), image, QStringLiteral("-"),
                             QStringLiteral("::") + QLatin1String(kSettingsFileInImage)},
                            bytes));
    if (!copied.ok())
        return notStarted(copied.failure());
    // mcopy may end with exit code 0 after a short write on a full disk, so
    // whatever it says counts.
    const ProcessOutput& out = copied.value();
    if (out.exitCode != 0 || !out.standardError.trimmed().isEmpty()) {
        const QByteArray error = out.standardError.toLower();
        if (error.contains("disk full") || error.contains("no free cluster") ||
            error.contains("short write"))
            return Failure{QStringLiteral("the image is full")};
        if (error.contains("directory full") || error.contains("no directory slots"))
            return Failure{QStringLiteral("its root folder is full")};
        return Failure{
            QStringLiteral("mtools could not write into it: %1").arg(firstLine(out.standardError))};
    }
    return {};
}

} // namespace

Result<QByteArray> readSettingsFromImage(ProcessRunner& processes, const QString& image)
{
    const Result<std::optional<QByteArray>> read = readSettingsIfAny(processes, image);
    if (!read.ok())
        return read.failure();
    if (!read.value())
        return Failure{QStringLiteral("it has no %1 in its root folder")
                           .arg(QLatin1String(kSettingsFileInImage))};
    return *read.value();
}

Result<bool> imageHoldsSettings(ProcessRunner& processes, const QString& image)
{
    const Result<std::optional<QByteArray>> read = readSettingsIfAny(processes, image);
    if (!read.ok())
        return read.failure();
    return read.value().has_value();
}

Result<> writeSettingsIntoFreshImage(ProcessRunner& processes, const QString& image,
                                     const QByteArray& bytes)
{
    if (Result<> copied = copySettingsInto(processes, image, bytes); !copied.ok()) {
        return Failure{QStringLiteral("cannot write %1: %2")
                           .arg(settingsFileInImage(image), copied.failure().reason)};
    }
    return {};
}

Result<> writeSettingsIntoImage(ProcessRunner& processes, const QString& image,
                                const QByteArray& bytes)
{
    const auto cannotWrite = [&](const QString& why) {
        return Failure{QStringLiteral("cannot write %1: %2").arg(settingsFileInImage(image), why)};
    };
    // Checked again: the image may have changed since it was opened.
    const Result<bool> fat = isFloppyImage(image);
    if (!fat.ok())
        return cannotWrite(fat.failure().reason);
    if (!fat.value())
        return cannotWrite(QStringLiteral("it no longer holds a FAT file system"));
    if (QFileInfo(image).size() > kMaxImageBytes) {
        return cannotWrite(QStringLiteral("it is larger than %1 MB, far larger than a floppy")
                               .arg(kMaxImageBytes / (1024 * 1024)));
    }

    // mtools changes the image where it lies, so it gets a private copy.
    QTemporaryDir work;
    if (!work.isValid())
        return cannotWrite(
            QStringLiteral("no room for a working copy: %1").arg(work.errorString()));
    const QString copy = work.filePath(QStringLiteral("image"));
    if (!QFile::copy(image, copy))
        return cannotWrite(QStringLiteral("it could not be copied to work on"));
    QFile::setPermissions(copy, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

    if (Result<> copied = copySettingsInto(processes, copy, bytes); !copied.ok())
        return cannotWrite(copied.failure().reason);
    // The copy must read back as written.
    const Result<QByteArray> check = readSettingsFromImage(processes, copy);
    if (!check.ok() || check.value() != bytes) {
        return cannotWrite(
            QStringLiteral("mtools did not store the file whole%1")
                .arg(check.ok() ? QString() : QStringLiteral(" (%1)").arg(check.failure().reason)));
    }

    QFile edited(copy);
    if (!edited.open(QIODevice::ReadOnly))
        return cannotWrite(QStringLiteral("the working copy could not be read back"));
    const QByteArray updated = edited.readAll();
    if (edited.error() != QFileDevice::NoError)
        return cannotWrite(QStringLiteral("the working copy could not be read back"));
    return writeWholeFile(image, updated, settingsFileInImage(image));
}

} // namespace useropts
