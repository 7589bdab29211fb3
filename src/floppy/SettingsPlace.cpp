// SPDX-License-Identifier: GPL-3.0-or-later
#include "floppy/SettingsPlace.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"
#include "settings/SettingsLayout.h"

namespace useropts {

namespace {

// Far beyond any settings file kept whole, lines after the last setting's
// and all.
constexpr qint64 kMaxWholeFileBytes = 256 * 1024 * 1024;

} // namespace

Result<SettingsPlace> settingsPlace(const QString& path)
{
    const Result<bool> image = isFloppyImage(path);
    if (!image.ok())
        return image.failure();
    return SettingsPlace{path, image.value()};
}

OpenedSettings openSettings(ProcessRunner& processes, const QString& path, EditorFields& fields,
                            const ReadOptions& options)
{
    OpenedSettings opened;
    opened.place.path = path;
    // An image is known by what it holds, whatever its name: told from the
    // first bytes the reading of the lines brings anyway.
    std::optional<Failure> notAnImage;
    Result<> source = readFileHead(path, kLineCount, kMaxSettingsBytes, opened.bytes,
                                   [&](QByteArrayView first, qint64 size) {
                                       const Result<bool> image = isFloppyImage(path, first, size);
                                       if (!image.ok())
                                           notAnImage = image.failure();
                                       opened.place.image = image.ok() && image.value();
                                       return image.ok() && !image.value();
                                   });
    if (notAnImage) {
        source = *notAnImage;
        opened.bytes.clear();
    } else if (source.ok() && opened.place.image) {
        const Result<QByteArray> inside = readSettingsFromImage(processes, path);
        opened.bytes = inside.ok() ? inside.value() : QByteArray();
        opened.whole = inside.ok();
        if (!inside.ok())
            source = inside.failure();
    }

    ReadOptions counting = options;
    counting.fieldApplied = [&](Field field) {
        ++opened.settingsRead;
        if (options.fieldApplied)
            options.fieldApplied(field);
    };
    const Result<> read = readSettings(opened.bytes, fields, counting);
    if (!source.ok())
        opened.failure = source.failure();
    else if (!read.ok())
        opened.failure = read.failure();
    return opened;
}

Result<QByteArray> readWholeSettingsFile(ProcessRunner& processes, const SettingsPlace& place)
{
    if (place.image)
        return readSettingsFromImage(processes, place.path);
    const Result<QByteArray> bytes = readFileStart(place.path, kMaxWholeFileBytes + 1);
    if (bytes.ok() && bytes.value().size() > kMaxWholeFileBytes)
        return Failure{QStringLiteral("it is larger than %1 MB, far larger than a settings file")
                           .arg(kMaxWholeFileBytes / (1024 * 1024))};
    return bytes;
}

Result<> writeSettingsBytes(ProcessRunner& processes, const SettingsPlace& place,
                            const QByteArray& bytes)
{
    if (place.image)
        return writeSettingsIntoImage(processes, place.path, bytes);
    return writeWholeFile(place.path, bytes);
}

Result<std::unique_ptr<FileReplacement>>
prepareSettingsBytes(ProcessRunner& processes, const SettingsPlace& place, const QByteArray& bytes)
{
    if (place.image)
        return prepareSettingsInImage(processes, place.path, bytes);
    return FileReplacement::beside(place.path, bytes, {{0, bytes.size()}});
}

} // namespace useropts
