// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/SettingsFile.h"

#include "cli/SettingValues.h"
#include "common/Messages.h"
#include "settings/BootCautions.h"
#include "settings/SettingsWriter.h"

#include <QDir>

namespace useropts {

namespace {

// A failure of a line named by its setting, as scripts name them.
Failure namedBySetting(const Failure& failure)
{
    const std::optional<Field> field = fieldOnLine(failure.line);
    if (!field)
        return failure;
    return Failure{QStringLiteral("%1: %2").arg(nameOf(*field), failure.reason), failure.line};
}

} // namespace

CommandRead readForCommand(ProcessRunner& processes, const QString& path)
{
    CommandRead read;
    ReadOptions options;
    options.random = nullptr;
    read.opened = openSettings(processes, path, read.fields, options);
    return read;
}

QString unreadableMessage(const QString& path, const Failure& failure)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (failure.line > 0)
        return QStringLiteral("%1: line %2: %3").arg(shown).arg(failure.line).arg(failure.reason);
    return cannotRead(shown, failure.reason);
}

Result<QByteArray> buildSettingsFile(const EditorFields& fields)
{
    Result<QByteArray> built = writeSettings(fields);
    if (built.ok())
        return built;
    return namedBySetting(built.failure());
}

Result<QByteArray> editSettingsFile(const QByteArray& whole, const EditorFields& fields,
                                    const QList<Field>& settings)
{
    Result<QByteArray> edited = writeSettingsLines(whole, fields, settings);
    if (edited.ok())
        return edited;
    return namedBySetting(edited.failure());
}

QStringList cautionsFor(const QByteArray& file)
{
    QStringList lines;
    for (const BootCaution& caution : bootCautions(file))
        lines << nameOf(caution.field) + QStringLiteral(": ") + cautionText(caution);
    return lines;
}

} // namespace useropts
