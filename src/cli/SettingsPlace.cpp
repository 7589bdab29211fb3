#include "cli/SettingsPlace.h"

#include "cli/SettingValues.h"
#include "files/FileHead.h"
#include "files/WholeFileWriter.h"
#include "floppy/FloppyImage.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "settings/ShellCaution.h"

#include <QDir>

namespace useropts {

namespace {

// The window's limit: far beyond any settings file, yet a file without line
// ends cannot keep the command reading for ever.
constexpr qint64 kMaxSettingsBytes = 16 * 1024 * 1024;

Failure cannotRead(const QString& path, const Failure& why)
{
    return Failure{
        QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), why.reason)};
}

} // namespace

Result<SettingsPlace> settingsPlace(const QString& path)
{
    const Result<bool> image = isFloppyImage(path);
    if (!image.ok())
        return cannotRead(path, image.failure());
    return SettingsPlace{path, image.value()};
}

OpenedSettings openSettings(ProcessRunner& processes, const SettingsPlace& place)
{
    OpenedSettings opened;
    QByteArray bytes;
    Result<> source;
    if (place.image) {
        const Result<QByteArray> read = readSettingsFromImage(processes, place.path);
        if (read.ok())
            bytes = read.value();
        else
            source = read.failure();
    } else {
        source = readFileHead(place.path, kLineCount, kMaxSettingsBytes, bytes);
    }
    if (!source.ok() && bytes.isEmpty()) {
        opened.failure = cannotRead(place.path, source.failure());
        return opened;
    }

    ReadOptions options;
    options.fieldApplied = [&opened](Field) { ++opened.settingsRead; };
    const Result<> read = readSettings(bytes, opened.fields, options);
    // A file that could not be read is the cause, whatever its lines lack.
    if (!source.ok())
        opened.failure = cannotRead(place.path, source.failure());
    else if (!read.ok())
        opened.failure = Failure{
            QStringLiteral("line %1: %2").arg(read.failure().line).arg(read.failure().reason),
            read.failure().line};
    return opened;
}

Result<QByteArray> buildSettingsFile(const EditorFields& fields)
{
    Result<QByteArray> built = writeSettings(fields);
    if (built.ok())
        return built;
    const Failure& failure = built.failure();
    const std::optional<Field> field = fieldOnLine(failure.line);
    if (!field)
        return failure;
    return Failure{QStringLiteral("%1: %2").arg(nameOf(*field), failure.reason), failure.line};
}

Result<> saveSettings(ProcessRunner& processes, const SettingsPlace& place, const QByteArray& bytes)
{
    if (place.image)
        return writeSettingsIntoImage(processes, place.path, bytes);
    return writeWholeFile(place.path, bytes);
}

QStringList cautionsFor(const QByteArray& file)
{
    QStringList lines;
    for (const ShellCaution& caution : shellCautions(file)) {
        // The window's text names the setting by its caption, which it starts with.
        const QString caption = fieldCaption(caution.field);
        lines << (caution.text.startsWith(caption)
                      ? nameOf(caution.field) + caution.text.mid(caption.size())
                      : QStringLiteral("%1: %2").arg(nameOf(caution.field), caution.text));
    }
    return lines;
}

} // namespace useropts
