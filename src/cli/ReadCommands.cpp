// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/CsvTable.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/TextForms.h"
#include "settings/BootCautions.h"

namespace useropts {

namespace {

int dataNotWritten()
{
    return failed(QStringLiteral("the output could not be written to standard output"));
}

// The settings of names, in the order named; every setting for none.
Result<QList<Field>> namedSettings(const QStringList& names)
{
    if (names.isEmpty())
        return QList<Field>(allFields().begin(), allFields().end());
    QList<Field> fields;
    for (const QString& name : names) {
        const std::optional<Field> field = fieldNamed(name);
        if (!field)
            return Failure{
                QStringLiteral("there is no setting named '%1'").arg(escapedValue(name))};
        fields.append(*field);
    }
    return fields;
}

QString shownSettings(const CommandRead& read, const QList<Field>& fields, bool json, bool named)
{
    QString out;
    int shown = 0;
    for (const Field field : fields) {
        if (int(field) >= read.opened.settingsRead)
            continue; // not read: the failure says why
        const QString value = shownValue(read.fields, field);
        if (json)
            out += QStringLiteral("%1  %2: %3")
                       .arg(shown == 0 ? QStringLiteral("{\n") : QStringLiteral(",\n"),
                            jsonString(nameOf(field)), jsonString(value));
        else if (named)
            out += escapedValue(value) + u'\n';
        else
            out += QStringLiteral("%1=%2\n").arg(nameOf(field), escapedValue(value));
        ++shown;
    }
    if (json)
        out += shown == 0 ? QStringLiteral("{}\n") : QStringLiteral("\n}\n");
    return out;
}

} // namespace

int runShow(const Invocation& call, ProcessRunner& processes)
{
    const QString& path = call.arguments.first();
    const Result<QList<Field>> fields = namedSettings(call.arguments.mid(1));
    if (!fields.ok())
        return misused(fields.failure().reason);
    const CommandRead read = readForCommand(processes, path);
    printData(shownSettings(read, fields.value(), call.json, call.arguments.size() > 1));
    if (!dataWrittenWhole())
        return dataNotWritten();
    if (read.opened.failure)
        return failed(unreadableMessage(path, *read.opened.failure));
    return kDone;
}

int runCheck(const Invocation& call, ProcessRunner& processes)
{
    int status = kDone;
    QStringList entries; // for --json
    QString out;
    for (const QString& path : call.arguments) {
        const CommandRead read = readForCommand(processes, path);
        const QList<BootCaution> cautions = bootCautions(read.opened.bytes);
        QStringList listed;
        for (const BootCaution& caution : cautions) {
            out += QStringLiteral("%1: %2: %3\n")
                       .arg(escapedControls(path), nameOf(caution.field), cautionText(caution));
            listed << QStringLiteral("{\"name\": %1, \"text\": %2}")
                          .arg(jsonString(nameOf(caution.field)), jsonString(cautionText(caution)));
        }
        QString entry = QStringLiteral("  {\"path\": %1, \"cautions\": [%2]")
                            .arg(jsonString(path), listed.join(QStringLiteral(", ")));
        if (read.opened.failure) {
            const QString why = unreadableMessage(path, *read.opened.failure);
            printMessage(why);
            entry += QStringLiteral(", \"error\": %1").arg(jsonString(why));
        }
        entries << entry + u'}';
        if (read.opened.failure || !cautions.isEmpty())
            status = kDataFailed;
    }
    printData(call.json ? QStringLiteral("[\n%1\n]\n").arg(entries.join(QStringLiteral(",\n")))
                        : out);
    return dataWrittenWhole() ? status : dataNotWritten();
}

int runExport(const Invocation& call, ProcessRunner& processes)
{
    int status = kDone;
    QByteArray out = csvRow(QStringList{QStringLiteral("PATH")} + allSettingNames());
    for (const QString& path : call.arguments) {
        const CommandRead read = readForCommand(processes, path);
        if (read.opened.failure) {
            printMessage(unreadableMessage(path, *read.opened.failure));
            status = kDataFailed;
            continue;
        }
        QStringList cells{path};
        for (const Field field : allFields())
            cells << shownValue(read.fields, field);
        out += csvRow(cells);
    }
    printData(out);
    return dataWrittenWhole() ? status : dataNotWritten();
}

} // namespace useropts
