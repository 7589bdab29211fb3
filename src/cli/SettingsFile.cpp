#include "cli/SettingsFile.h"

#include "cli/SettingValues.h"
#include "settings/SettingsLayout.h"
#include "settings/SettingsReader.h"
#include "settings/SettingsWriter.h"
#include "settings/ShellCaution.h"

#include <QDir>

namespace useropts {

namespace {

Failure cannotRead(const QString& path, const Failure& why)
{
    return Failure{
        QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), why.reason)};
}

} // namespace

Result<SettingsPlace> placeToRead(const QString& path)
{
    const Result<SettingsPlace> place = settingsPlace(path);
    if (!place.ok())
        return cannotRead(path, place.failure());
    return place;
}

OpenedSettings openSettings(ProcessRunner& processes, const SettingsPlace& place)
{
    OpenedSettings opened;
    QByteArray bytes;
    const Result<> source = readSettingsBytes(processes, place, bytes);
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
