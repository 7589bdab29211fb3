// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/BatchPlan.h"

#include "cli/BatchChecks.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/TextForms.h"
#include "common/Messages.h"
#include "files/FileHead.h"
#include "floppy/FloppyImage.h"
#include "settings/ComputerName.h"
#include "settings/SettingsWriter.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <utility>

namespace useropts {

namespace {

// Far beyond any table of computers; a file that large is not a table.
constexpr qint64 kMaxTableBytes = 64 * 1024 * 1024;
// Far beyond any floppy, as for an image that is edited.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;

const QString kOutputColumn = QStringLiteral("OUTPUT");

Failure cannotReadFile(const QString& path, const QString& why)
{
    return Failure{cannotRead(QDir::toNativeSeparators(path), why)};
}

// A data row with its settings, before its output has a name.
struct RowSettings
{
    int row = 0;
    EditorFields fields;
    bool needsName = false; // a fresh computer name, as the window gives a KZ name
    QString outputCell;     // the OUTPUT column's, where there is one
};

const TableColumn* columnOf(const QList<TableColumn>& columns, std::optional<Field> field)
{
    for (const TableColumn& column : columns) {
        if (column.field == field)
            return &column;
    }
    return nullptr;
}

QString headerOf(const QList<TableColumn>& columns, Field field)
{
    const TableColumn* column = columnOf(columns, field);
    return column ? column->header : nameOf(field);
}

// Each data row's settings: the template's, with the row's cells set.
QList<RowSettings> readRows(const BatchTemplate& templ, const QList<TableRow>& table,
                            const QList<TableColumn>& columns, Complaints& bad)
{
    const TableColumn* nameColumn = columnOf(columns, Field::ComputerName);
    const TableColumn* outputColumn = columnOf(columns, std::nullopt);
    QList<RowSettings> rows;
    rows.reserve(table.size());
    for (const TableRow& row : table) {
        RowSettings settings{row.number, templ.fields, false, {}};
        bool good = true;
        for (const TableColumn& column : columns) {
            if (!column.field)
                continue;
            const QString& cell = row.cells[column.index];
            if (Result<> set = setShownValue(settings.fields, *column.field, cell); !set.ok()) {
                bad.add(row.number, column.header, set.failure().reason);
                good = false;
            }
        }
        if (outputColumn)
            settings.outputCell = row.cells[outputColumn->index];
        settings.needsName =
            templ.freshNames && (!nameColumn || row.cells[nameColumn->index].isEmpty());
        if (good)
            rows.append(std::move(settings));
    }
    return rows;
}

// Two machines cannot share a name, nor with static settings an address,
// on one network: the second of two such rows is refused, whatever
// --strict says. Names beginning with KZ are drawn afresh at every boot.
void refuseSharedNames(const QList<RowSettings>& rows, const QList<TableColumn>& columns,
                       Complaints& bad)
{
    QHash<QString, int> names;
    QHash<QString, int> addresses;
    for (const RowSettings& row : rows) {
        const QString name = row.fields.text(Field::ComputerName);
        if (!name.isEmpty() && !name.startsWith(u"KZ")) {
            const QString key = name.toCaseFolded();
            if (const auto earlier = names.constFind(key); earlier != names.constEnd())
                bad.add(row.row, headerOf(columns, Field::ComputerName),
                        QStringLiteral("row %1 gives the computer name %2 already (letter case "
                                       "aside); two machines cannot share a name on one network")
                            .arg(*earlier)
                            .arg(escapedValue(name)));
            else
                names.insert(key, row.row);
        }
        const QString address = row.fields.text(Field::IpAddress);
        if (row.fields.choice(Field::DisableDhcp) == 1 && !address.isEmpty()) {
            if (const auto earlier = addresses.constFind(address); earlier != addresses.constEnd())
                bad.add(row.row, headerOf(columns, Field::IpAddress),
                        QStringLiteral("row %1 gives the address %2 already; two machines "
                                       "cannot share an address on one network")
                            .arg(*earlier)
                            .arg(escapedValue(address)));
            else
                addresses.insert(address, row.row);
        }
    }
}

// Gives every row that needs one a fresh computer name that no other row of
// the batch has.
void nameFreshComputers(QList<RowSettings>& rows)
{
    QSet<QString> taken;
    for (const RowSettings& row : rows) {
        if (!row.needsName)
            taken.insert(row.fields.text(Field::ComputerName));
    }
    for (RowSettings& row : rows) {
        if (!row.needsName)
            continue;
        QString name = applyComputerNameRule(QStringLiteral("KZ"), timeSeededUnitRandom);
        // The clock may not have moved on since the last name; a few more
        // draws find a free one long before the names run out.
        for (int draw = 0; taken.contains(name); ++draw) {
            name = draw < 1000 ? applyComputerNameRule(QStringLiteral("KZ"), timeSeededUnitRandom)
                               : QStringLiteral("KZ%1").arg(name.mid(2).toLong() % 9999999 + 1);
        }
        taken.insert(name);
        row.fields.text(Field::ComputerName) = name;
    }
}

// The file of each row, as the window would save it, and its output's name.
QList<PlannedOutput> nameOutputs(const QList<RowSettings>& rows, const BatchTemplate& templ,
                                 const QList<TableColumn>& columns, const BatchRequest& request,
                                 Complaints& bad)
{
    const TableColumn* outputColumn = columnOf(columns, std::nullopt);
    // The folder as given, to name the outputs in messages as the user would.
    QString folder = request.outputFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const int longestName = fileSystemRoom(request.outputFolder).longestName;

    QList<PlannedOutput> outputs;
    outputs.reserve(rows.size());
    for (const RowSettings& row : rows) {
        PlannedOutput output{row.row, row.fields, {}, {}, {}, {}, {}, false, {}};
        for (const Field field : allFields()) {
            if (shownValue(row.fields, field) != shownValue(templ.fields, field))
                output.changed.append(field);
        }
        const Result<QByteArray> file = writeSettings(row.fields);
        if (!file.ok()) {
            const std::optional<Field> field = fieldOnLine(file.failure().line);
            bad.add(row.row, field ? headerOf(columns, *field) : QString(), file.failure().reason);
            continue;
        }
        output.file = file.value();

        QString name = row.outputCell;
        if (outputColumn) {
            output.column = outputColumn->header;
        } else {
            output.column = headerOf(columns, Field::ComputerName);
            const QString computer = row.fields.text(Field::ComputerName);
            name = computer.isEmpty()  ? QString()
                   : templ.place.image ? computer + QStringLiteral(".img")
                                       : computer + u'/' + QLatin1String(kSettingsFileInImage);
        }
        const Result<QString> inside = outputInside(name, longestName);
        if (!inside.ok()) {
            bad.add(row.row, output.column,
                    !outputColumn && name.isEmpty()
                        ? QStringLiteral("the computer name is empty, so the output has no "
                                         "name (an OUTPUT column can give one)")
                        : inside.failure().reason);
            continue;
        }
        output.relative = inside.value();
        output.shown = QDir::toNativeSeparators(folder + output.relative);
        output.path = QDir(request.outputFolder).filePath(output.relative);
        outputs.append(std::move(output));
    }
    return outputs;
}

} // namespace

Result<BatchTemplate> readBatchTemplate(const QString& path, ProcessRunner& processes)
{
    const CommandRead read = readForCommand(processes, path);
    if (read.opened.failure)
        return Failure{unreadableMessage(path, *read.opened.failure)};
    BatchTemplate result;
    result.place = read.opened.place;
    result.fields = read.fields;
    // A name that starts with KZ stands for a fresh one on every machine.
    result.freshNames = read.fields.text(Field::ComputerName).startsWith(QStringLiteral("KZ"));
    result.permissions = permissionBits(path);
    result.identity = fileIdentity(path);
    if (result.place.image) {
        const Result<QByteArray> bytes = readFileStart(path, kMaxImageBytes + 1);
        if (!bytes.ok())
            return cannotReadFile(path, bytes.failure().reason);
        if (bytes.value().size() > kMaxImageBytes)
            return cannotReadFile(path, QStringLiteral("it is larger than %1 MB, far larger than "
                                                       "a floppy")
                                            .arg(kMaxImageBytes / (1024 * 1024)));
        // Every output is a copy of it: one whose file system is damaged
        // would give each of them the damage, and mtools would write
        // through it into another file's clusters.
        if (Result<> sound = checkImageFileSystem(processes, path); !sound.ok())
            return Failure{QStringLiteral("%1 cannot be the template: %2")
                               .arg(QDir::toNativeSeparators(path), sound.failure().reason)};
        result.image = bytes.value();
        result.imageRuns = dataRuns(result.image);
    }
    return result;
}

QList<PlannedOutput> planOutputs(const BatchTemplate& templ, const TableFile& table,
                                 const BatchRequest& request, Complaints& bad)
{
    const QList<TableColumn> columns = tableColumns(table.rows, kOutputColumn, bad);
    if (!bad.isEmpty())
        return {};
    QList<RowSettings> rows = readRows(templ, tableRows(table.rows, bad), columns, bad);
    nameFreshComputers(rows);
    refuseSharedNames(rows, columns, bad);
    QList<PlannedOutput> outputs = nameOutputs(rows, templ, columns, request, bad);
    if (request.strict)
        refuseCautions(outputs, bad);
    refuseCollisions(outputs, bad);
    refuseWhatIsOnDisk(outputs, templ, table.identity, request, bad);
    if (bad.isEmpty())
        refuseWithoutRoom(outputs, templ, request, bad);
    return outputs;
}

} // namespace useropts
