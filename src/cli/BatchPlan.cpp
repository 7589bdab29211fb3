#include "cli/BatchPlan.h"

#include "cli/BatchChecks.h"
#include "cli/SettingValues.h"
#include "cli/SettingsFile.h"
#include "cli/TextForms.h"
#include "files/FileHead.h"
#include "floppy/FloppyImage.h"
#include "settings/ComputerName.h"
#include "settings/SettingsWriter.h"

#include <QDir>
#include <QHash>
#include <QSet>

#include <algorithm>

namespace useropts {

namespace {

// Far beyond any table of computers; a file that large is not a table.
constexpr qint64 kMaxTableBytes = 64 * 1024 * 1024;
// Far beyond any floppy, as for an image that is edited.
constexpr qint64 kMaxImageBytes = 256 * 1024 * 1024;

const QString kOutputColumn = QStringLiteral("OUTPUT");

Failure cannotRead(const QString& path, const QString& why)
{
    return Failure{QStringLiteral("cannot read %1: %2").arg(QDir::toNativeSeparators(path), why)};
}

struct Column
{
    QString header;             // as the table spells it
    std::optional<Field> field; // none for OUTPUT
};

// A data row with its settings, before its output has a name.
struct RowSettings
{
    int row = 0;
    EditorFields fields;
    bool needsName = false; // a fresh computer name, as the window gives a KZ name
    QString outputCell;     // the OUTPUT column's, where there is one
};

// What each column sets; the complaints about the header row go to bad.
QList<Column> readHeader(const CsvRow& header, Complaints& bad)
{
    QList<Column> columns;
    QHash<QString, QString> seen; // the setting's name or OUTPUT, and the header that gave it
    for (const QString& name : header.cells) {
        Column column{name, fieldNamed(name)};
        const bool output = name.compare(kOutputColumn, Qt::CaseInsensitive) == 0;
        const QString key = column.field ? nameOf(*column.field) : kOutputColumn;
        if (!column.field && !output) {
            bad.add(header.number, name,
                    QStringLiteral("there is no setting named '%1', nor is it OUTPUT")
                        .arg(escapedValue(name)));
        } else if (const auto earlier = seen.constFind(key); earlier != seen.constEnd()) {
            bad.add(header.number, name,
                    QStringLiteral("column %1 names it already").arg(*earlier));
        } else {
            seen.insert(key, name);
        }
        columns.append(column);
    }
    return columns;
}

qsizetype columnOf(const QList<Column>& columns, std::optional<Field> field)
{
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (columns[i].field == field)
            return i;
    }
    return -1;
}

// Each data row's settings: the template's, with the row's cells set.
QList<RowSettings> readRows(const BatchTemplate& templ, const QList<CsvRow>& table,
                            const QList<Column>& columns, Complaints& bad)
{
    const qsizetype nameColumn = columnOf(columns, Field::ComputerName);
    const qsizetype outputColumn = columnOf(columns, std::nullopt);
    QList<RowSettings> rows;
    for (const CsvRow& row : table.sliced(1)) {
        if (row.cells.size() != columns.size()) {
            bad.add(row.number, {},
                    QStringLiteral("it has %1 cells where the first row has %2")
                        .arg(row.cells.size())
                        .arg(columns.size()));
            continue;
        }
        RowSettings settings{row.number, templ.fields, false, {}};
        bool good = true;
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (!columns[i].field)
                continue;
            const Result<> set = setShownValue(settings.fields, *columns[i].field, row.cells[i]);
            if (!set.ok()) {
                bad.add(row.number, columns[i].header, set.failure().reason);
                good = false;
            }
        }
        if (outputColumn >= 0)
            settings.outputCell = row.cells[outputColumn];
        settings.needsName =
            templ.freshNames && (nameColumn < 0 || row.cells[nameColumn].isEmpty());
        if (good)
            rows.append(settings);
    }
    return rows;
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
                                 const QList<Column>& columns, const BatchRequest& request,
                                 Complaints& bad)
{
    const qsizetype nameColumn = columnOf(columns, Field::ComputerName);
    const qsizetype outputColumn = columnOf(columns, std::nullopt);
    // The folder as given, to name the outputs in messages as the user would.
    QString folder = request.outputFolder;
    while (folder.size() > 1 && folder.endsWith(u'/'))
        folder.chop(1);
    if (!folder.endsWith(u'/'))
        folder += u'/';
    const int longestName = fileSystemRoom(request.outputFolder).longestName;

    QList<PlannedOutput> outputs;
    for (const RowSettings& row : rows) {
        PlannedOutput output{row.row, row.fields, {}, {}, {}, {}, {}, false};
        const Result<QByteArray> file = writeSettings(row.fields);
        if (!file.ok()) {
            const std::optional<Field> field = fieldOnLine(file.failure().line);
            const qsizetype column = columnOf(columns, field);
            bad.add(row.row,
                    column >= 0 ? columns[column].header
                    : field     ? nameOf(*field)
                                : QString(),
                    file.failure().reason);
            continue;
        }
        output.file = file.value();

        QString name = row.outputCell;
        if (outputColumn >= 0) {
            output.column = columns[outputColumn].header;
        } else {
            output.column =
                nameColumn >= 0 ? columns[nameColumn].header : nameOf(Field::ComputerName);
            const QString computer = row.fields.text(Field::ComputerName);
            name = computer.isEmpty()  ? QString()
                   : templ.place.image ? computer + QStringLiteral(".img")
                                       : computer + u'/' + QLatin1String(kSettingsFileInImage);
        }
        const Result<QString> inside = outputInside(name, longestName);
        if (!inside.ok()) {
            bad.add(row.row, output.column,
                    outputColumn < 0 && name.isEmpty()
                        ? QStringLiteral("the computer name is empty, so the output has no "
                                         "name (an OUTPUT column can give one)")
                        : inside.failure().reason);
            continue;
        }
        output.relative = inside.value();
        output.shown = QDir::toNativeSeparators(folder + output.relative);
        output.path = QDir(request.outputFolder).filePath(output.relative);
        outputs.append(output);
    }
    return outputs;
}

} // namespace

void Complaints::add(int row, const QString& column, const QString& why)
{
    m_lines.append({row, row <= 0 ? why
                         : column.isNull()
                             ? QStringLiteral("row %1: %2").arg(row).arg(why)
                             : QStringLiteral("row %1, column %2: %3").arg(row).arg(column, why)});
}

QStringList Complaints::lines() const
{
    QList<std::pair<int, QString>> sorted = m_lines;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList lines;
    for (const auto& line : sorted)
        lines << line.second;
    return lines;
}

Result<BatchTemplate> readBatchTemplate(const QString& path, ProcessRunner& processes)
{
    const Result<SettingsPlace> place = placeToRead(path);
    if (!place.ok())
        return place.failure();
    OpenedSettings opened = openSettings(processes, place.value());
    if (opened.failure)
        return *opened.failure;
    BatchTemplate result;
    result.place = place.value();
    result.fields = opened.fields;
    // Reading turned a KZ name into a fresh one, which starts with KZ again.
    result.freshNames = opened.fields.text(Field::ComputerName).startsWith(QStringLiteral("KZ"));
    result.permissions = permissionBits(path);
    result.identity = fileIdentity(path);
    if (place.value().image) {
        const Result<QByteArray> bytes = readFileStart(path, kMaxImageBytes + 1);
        if (!bytes.ok())
            return cannotRead(path, bytes.failure().reason);
        if (bytes.value().size() > kMaxImageBytes)
            return cannotRead(path, QStringLiteral("it is larger than %1 MB, far larger than a "
                                                   "floppy")
                                        .arg(kMaxImageBytes / (1024 * 1024)));
        result.image = bytes.value();
        result.imageRuns = dataRuns(result.image);
    }
    return result;
}

Result<BatchTable> readBatchTable(const QString& path)
{
    const Result<QByteArray> bytes = readFileStart(path, kMaxTableBytes + 1);
    if (!bytes.ok())
        return cannotRead(path, bytes.failure().reason);
    if (bytes.value().size() > kMaxTableBytes)
        return cannotRead(path, QStringLiteral("it is larger than %1 MB, far larger than a table "
                                               "of computers")
                                    .arg(kMaxTableBytes / (1024 * 1024)));
    Result<QList<CsvRow>> rows = parseCsv(bytes.value());
    if (!rows.ok())
        return rows.failure();
    if (rows.value().isEmpty())
        return cannotRead(path,
                          QStringLiteral("it is empty; its first row must name the settings"));
    return BatchTable{rows.value(), fileIdentity(path)};
}

QList<PlannedOutput> planOutputs(const BatchTemplate& templ, const BatchTable& table,
                                 const BatchRequest& request, Complaints& bad)
{
    const QList<Column> columns = readHeader(table.rows.first(), bad);
    if (!bad.isEmpty())
        return {};
    QList<RowSettings> rows = readRows(templ, table.rows, columns, bad);
    nameFreshComputers(rows);
    QList<PlannedOutput> outputs = nameOutputs(rows, templ, columns, request, bad);
    refuseCollisions(outputs, bad);
    refuseWhatIsOnDisk(outputs, templ, table, request, bad);
    if (bad.isEmpty())
        refuseWithoutRoom(outputs, templ, request, bad);
    return outputs;
}

} // namespace useropts
