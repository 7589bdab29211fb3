// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/TextForms.h"
#include "common/Messages.h"
#include "floppy/FloppyImage.h"
#include "settings/DefaultSettings.h"

#include <QDir>
#include <QFileInfo>

namespace useropts {

namespace {

// "NAME=VALUE" from the command line.
struct Edit
{
    Field field;
    QString value;
};

// The settings named on the command line; a choice must be one of its two values.
Result<QList<Edit>> parseEdits(const QStringList& arguments)
{
    QList<Edit> edits;
    for (const QString& argument : arguments) {
        const qsizetype equals = argument.indexOf(u'=');
        if (equals < 0)
            return Failure{QStringLiteral("'%1' is not NAME=VALUE").arg(escapedValue(argument))};
        const QString name = argument.left(equals);
        const std::optional<Field> field = fieldNamed(name);
        if (!field)
            return Failure{
                QStringLiteral("there is no setting named '%1'").arg(escapedValue(name))};
        for (const Edit& earlier : edits) {
            if (earlier.field == *field)
                return Failure{QStringLiteral("%1 is given twice").arg(nameOf(*field))};
        }
        const QString value = argument.mid(equals + 1);
        EditorFields scratch;
        if (Result<> valid = setShownValue(scratch, *field, value); !valid.ok())
            return valid.failure();
        edits.append({*field, value});
    }
    return edits;
}

QList<Field> apply(const QList<Edit>& edits, EditorFields& fields)
{
    QList<Field> named;
    for (const Edit& edit : edits) {
        (void)setShownValue(fields, edit.field, edit.value); // checked when parsed
        named.append(edit.field);
    }
    return named;
}

// The cautions for what is about to be written: with --strict a refusal.
bool refusedForCautions(const QByteArray& file, bool strict)
{
    const QStringList cautions = cautionsFor(file);
    if (!strict || cautions.isEmpty())
        return false;
    for (const QString& caution : cautions)
        printMessage(caution);
    printMessage(QStringLiteral("nothing was written: --strict refuses every caution"));
    return true;
}

void printCautions(const QByteArray& file)
{
    for (const QString& caution : cautionsFor(file))
        printMessage(caution);
}

// Where new puts a file: the existing image's settings file, a new plain
// file, or why neither.
Result<SettingsPlace> placeForNew(const QString& path, bool force, ProcessRunner& processes)
{
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo::exists(path)) {
        // A settings file under an image's name would pass for a broken image.
        if (namedLikeFloppyImage(path))
            return Failure{QStringLiteral("%1 does not exist, and new makes no floppy images "
                                          "(mkfs.fat makes an empty one)")
                               .arg(shown)};
        return SettingsPlace{path, false};
    }
    const Result<SettingsPlace> found = settingsPlace(path);
    if (!found.ok())
        return Failure{cannotRead(shown, found.failure().reason)};
    if (force)
        return found;
    if (!found.value().image)
        return Failure{QStringLiteral("%1 exists already (--force replaces it)").arg(shown)};
    const Result<bool> holds = imageHoldsSettings(processes, path);
    if (!holds.ok())
        return Failure{cannotRead(shown, holds.failure().reason)};
    if (holds.value())
        return Failure{QStringLiteral("%1 holds a %2 already (--force replaces it)")
                           .arg(shown, QLatin1String(kSettingsFileInImage))};
    return found;
}

} // namespace

int runSet(const Invocation& call, ProcessRunner& processes)
{
    const QString& path = call.arguments.first();
    const Result<QList<Edit>> edits = parseEdits(call.arguments.mid(1));
    if (!edits.ok())
        return misused(edits.failure().reason);
    if (edits.value().isEmpty())
        return misused(QStringLiteral("set needs at least one NAME=VALUE"));
    CommandRead read = readForCommand(processes, path);
    // Saving what was read of a file that stops early would lose the rest.
    if (read.opened.failure)
        return failed(unreadableMessage(path, *read.opened.failure));
    const Result<QByteArray> whole = readWholeSettingsFile(processes, read.opened.place);
    if (!whole.ok())
        return failed(cannotRead(QDir::toNativeSeparators(path), whole.failure().reason));
    const QList<Field> named = apply(edits.value(), read.fields);
    const Result<QByteArray> file = editSettingsFile(whole.value(), read.fields, named);
    if (!file.ok())
        return failed(file.failure().reason);
    if (refusedForCautions(file.value(), call.strict))
        return kDataFailed;
    if (Result<> saved = writeSettingsBytes(processes, read.opened.place, file.value());
        !saved.ok())
        return failed(saved.failure().reason);
    printCautions(file.value());
    return kDone;
}

int runNew(const Invocation& call, ProcessRunner& processes)
{
    const QString& path = call.arguments.first();
    const Result<QList<Edit>> edits = parseEdits(call.arguments.mid(1));
    if (!edits.ok())
        return misused(edits.failure().reason);
    EditorFields fields = defaultSettings();
    apply(edits.value(), fields);
    const Result<QByteArray> file = buildSettingsFile(fields);
    if (!file.ok())
        return failed(file.failure().reason);
    const Result<SettingsPlace> place = placeForNew(path, call.force, processes);
    if (!place.ok())
        return failed(place.failure().reason);
    if (refusedForCautions(file.value(), call.strict))
        return kDataFailed;
    if (Result<> saved = writeSettingsBytes(processes, place.value(), file.value()); !saved.ok())
        return failed(saved.failure().reason);
    printCautions(file.value());
    return kDone;
}

} // namespace useropts
