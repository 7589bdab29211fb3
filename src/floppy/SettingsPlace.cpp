#include "floppy/SettingsPlace.h"

#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"
#include "settings/SettingsLayout.h"

namespace useropts {

Result<SettingsPlace> settingsPlace(const QString& path)
{
    const Result<bool> image = isFloppyImage(path);
    if (!image.ok())
        return image.failure();
    return SettingsPlace{path, image.value()};
}

Result<> readSettingsBytes(ProcessRunner& processes, const SettingsPlace& place, QByteArray& bytes)
{
    bytes.clear();
    if (!place.image)
        return readFileHead(place.path, kLineCount, kMaxSettingsBytes, bytes);
    const Result<QByteArray> inside = readSettingsFromImage(processes, place.path);
    if (!inside.ok())
        return inside.failure();
    bytes = inside.value();
    return {};
}

Result<> writeSettingsBytes(ProcessRunner& processes, const SettingsPlace& place,
                            const QByteArray& bytes)
{
    if (place.image)
        return writeSettingsIntoImage(processes, place.path, bytes);
    return writeWholeFile(place.path, bytes);
}

} // namespace useropts
