#include "cli/Apply.h"

#include "cli/Commands.h"
#include "cli/Console.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/Subcommands.h"
#include "cli/Tables.h"
#include "cli/TextForms.h"
#include "common/Messages.h"

#include <QDir>
#include <QHash>

namespace useropts {

namespace {

const QString kPathColumn = QStringLiteral("PATH");
// Enough to see what is wrong with a table, not a screenful of the same.
constexpr int kMostBadRowsShown = 20;

// One row, once checked: the file it names and what it becomes.
struct PlannedUpdate
{
    int row = 0;
    QString shown; // the path as the table gives it
    SettingsPlace place;
    QList<Field> changed;
    QByteArray file; // the new bytes; none when nothing changes
};

QString identityKey(const std::optional<FileIdentity>& identity)
{
    return identity ? QStringLiteral("%1:%2").arg(identity->device).arg(identity->inode)
                    : QString();
}

// Reads the row's file whole and works out its new bytes, or says why not.
Result<PlannedUpdate> planRow(const TableRow& row, const QList<TableColumn>& columns,
                              const TableColumn& pathColumn, const QString& folder,
                              ProcessRunner& processes, Complaints& bad)
{
    PlannedUpdate update;
    update.row = row.number;
    update.shown = row.cells[pathColumn.index];
    if (update.shown.isEmpty())
        return Failure{QStringLiteral("the row names no file")};
    const QString path = QDir(folder).filePath(update.shown);
    CommandRead read = readForCommand(processes, path);
    if (read.opened.failure)
        return Failure{unreadableMessage(update.shown, *read.opened.failure)};
    update.place = read.opened.place;
    const EditorFields before = read.fields;
    bool good = true;
    for (const TableColumn& column : columns) {
        if (!column.field)
            continue;
        if (Result<> set = setShownValue(read.fields, *column.field, row.cells[column.index]);
            !set.ok()) {
            bad.add(row.number, column.header, set.failure().reason);
            good = false;
        } else if (shownValue(read.fields, *column.field) != shownValue(before, *column.field)) {
            update.changed.append(*column.field);
        }
    }
    if (!good || update.changed.isEmpty())
        return update;
    const Result<QByteArray> whole = readWholeSettingsFile(processes, update.place);
    if (!whole.ok())
        return Failure{cannotRead(update.shown, whole.failure().reason)};
    const Result<QByteArray> file = editSettingsFile(whole.value(), read.fields, update.changed);
    if (!file.ok())
        return file.failure();
    update.file = file.value();
    return update;
}

QList<PlannedUpdate> planUpdates(const TableFile& table, const ApplyRequest& request,
                                 ProcessRunner& processes, Complaints& bad)
{
    const QList<TableColumn> columns = tableColumns(table.rows, kPathColumn, bad);
    const auto pathColumn =
        std::find_if(columns.begin(), columns.end(), [](const TableColumn& c) { return !c.field; });
    if (pathColumn == columns.end() && bad.isEmpty())
        bad.add(1, {}, QStringLiteral("no column is named PATH, which names each row's file"));
    if (!bad.isEmpty())
        return {};
    QList<PlannedUpdate> updates;
    QHash<QString, int> files; // by file identity, the row that names it
    for (const TableRow& row : tableRows(table.rows, bad)) {
        Result<PlannedUpdate> update =
            planRow(row, columns, *pathColumn, table.folder, processes, bad);
        if (!update.ok()) {
            bad.add(row.number, pathColumn->header, update.failure().reason);
            continue;
        }
        const QString key =
            identityKey(fileIdentity(QDir(table.folder).filePath(update.value().shown)));
        if (const auto earlier = files.constFind(key);
            !key.isEmpty() && earlier != files.constEnd()) {
            bad.add(row.number, pathColumn->header,
                    QStringLiteral("row %1 names the same file already").arg(*earlier));
            continue;
        }
        files.insert(key, row.number);
        if (request.strict) {
            for (const QString& caution : cautionsFor(update.value().file))
                bad.add(row.number, {}, caution + QStringLiteral(" (--strict refuses it)"));
        }
        updates.append(update.value());
    }
    return updates;
}

int refused(const Complaints& complaints)
{
    const QStringList bad = complaints.lines();
    for (const QString& line : bad.first(qMin(bad.size(), qsizetype(kMostBadRowsShown))))
        printMessage(line);
    if (bad.size() > kMostBadRowsShown)
        printMessage(
            QStringLiteral("%1 more complaints not shown").arg(bad.size() - kMostBadRowsShown));
    printMessage(QStringLiteral("nothing was written"));
    return kDataFailed;
}

void printCautions(const PlannedUpdate& update)
{
    for (const QString& caution : cautionsFor(update.file))
        printMessage(QStringLiteral("row %1: %2").arg(update.row).arg(caution));
}

int describeUpdates(const QList<PlannedUpdate>& updates)
{
    QString out;
    for (const PlannedUpdate& update : updates) {
        QStringList names;
        for (const Field field : update.changed)
            names << nameOf(field);
        out += QStringLiteral("%1: %2\n")
                   .arg(escapedControls(update.shown),
                        names.isEmpty() ? QStringLiteral("nothing changes") : names.join(u", "));
        printCautions(update);
    }
    printData(out);
    return dataWrittenWhole() ? kDone
                              : failed(QStringLiteral("what would be written could not be "
                                                      "said on standard output"));
}

} // namespace

int runApply(const ApplyRequest& request, ProcessRunner& processes)
{
    Complaints complaints;
    const Result<TableFile> table = readTableFile(request.tablePath, request.encoding);
    if (!table.ok()) {
        complaints.add(0, {}, table.failure().reason);
        return refused(complaints);
    }
    const QList<PlannedUpdate> updates = planUpdates(table.value(), request, processes, complaints);
    if (!complaints.isEmpty())
        return refused(complaints);
    if (request.dryRun)
        return describeUpdates(updates);
    qsizetype changed = 0;
    for (const PlannedUpdate& update : updates) {
        if (update.changed.isEmpty())
            continue;
        if (Result<> saved = writeSettingsBytes(processes, update.place, update.file);
            !saved.ok()) {
            printMessage(QStringLiteral("row %1: %2 (%3 changed before it)")
                             .arg(update.row)
                             .arg(saved.failure().reason)
                             .arg(changed));
            return kDataFailed;
        }
        ++changed;
        printCautions(update);
    }
    printData(
        QStringLiteral("%1 changed, %2 as they were\n").arg(changed).arg(updates.size() - changed));
    return dataWrittenWhole() ? kDone
                              : failed(QStringLiteral("%1 changed, but standard output could not "
                                                      "say so")
                                           .arg(changed));
}

} // namespace useropts
