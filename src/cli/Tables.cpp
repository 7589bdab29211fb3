// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Tables.h"

#include "cli/SettingValues.h"
#include "cli/TextForms.h"
#include "common/Messages.h"
#include "files/FileHead.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

namespace useropts {

namespace {

// Far beyond any table of computers; a file that large is not a table.
constexpr qint64 kMaxTableBytes = 64 * 1024 * 1024;

// "column 11 (K)", as a spreadsheet heads it.
QString columnName(qsizetype index)
{
    QString letters;
    for (qsizetype n = index + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(char16_t(u'A' + (n - 1) % 26)));
    return QStringLiteral("column %1 (%2)").arg(index + 1).arg(letters);
}

// The first data row with a cell in the column, or 0.
int firstRowWithData(const QList<CsvRow>& rows, qsizetype column)
{
    for (const CsvRow& row : rows.sliced(1)) {
        if (column < row.cells.size() && !row.cells[column].isEmpty())
            return row.number;
    }
    return 0;
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

Result<TableFile> readTableFile(const QString& path, std::optional<TableEncoding> encoding)
{
    const QString shown = QDir::toNativeSeparators(path);
    const Result<QByteArray> bytes = readFileStart(path, kMaxTableBytes + 1);
    if (!bytes.ok())
        return Failure{cannotRead(shown, bytes.failure().reason)};
    if (bytes.value().size() > kMaxTableBytes)
        return Failure{cannotRead(shown, QStringLiteral("it is larger than %1 MB, far larger than "
                                                        "a table of computers")
                                             .arg(kMaxTableBytes / (1024 * 1024)))};
    const Result<char> separator = separatorOf(bytes.value());
    if (!separator.ok() && !bytes.value().trimmed().isEmpty())
        return separator.failure();
    Result<QList<CsvRow>> rows = parseCsv(bytes.value(), separator.ok() ? separator.value() : ',',
                                          encoding.value_or(TableEncoding::Utf8));
    if (!rows.ok())
        return rows.failure();
    if (rows.value().isEmpty())
        return Failure{cannotRead(shown, QStringLiteral("it is empty; its first row must name the "
                                                        "settings"))};
    return TableFile{rows.value(), fileIdentity(path), QFileInfo(path).absolutePath()};
}

QList<TableColumn> tableColumns(const QList<CsvRow>& rows, const QString& own, Complaints& bad)
{
    QList<TableColumn> columns;
    QHash<QString, QString> seen; // the setting's name or own, and the header that gave it
    const CsvRow& header = rows.first();
    for (qsizetype i = 0; i < header.cells.size(); ++i) {
        const QString name = header.cells[i].trimmed();
        if (name.startsWith(u'#'))
            continue;
        if (name.isEmpty()) {
            if (const int row = firstRowWithData(rows, i))
                bad.add(header.number, {},
                        QStringLiteral("%1 has no name, but row %2 holds data in it")
                            .arg(columnName(i))
                            .arg(row));
            continue;
        }
        const TableColumn column{i, name, fieldNamed(name)};
        const bool isOwn = name.compare(own, Qt::CaseInsensitive) == 0;
        const QString key = column.field ? nameOf(*column.field) : own;
        if (!column.field && !isOwn) {
            bad.add(header.number, name,
                    QStringLiteral("there is no setting named '%1', nor is it %2 (a note "
                                   "column's name begins with #)")
                        .arg(escapedValue(name), own));
        } else if (const auto earlier = seen.constFind(key); earlier != seen.constEnd()) {
            bad.add(header.number, name,
                    QStringLiteral("column %1 names it already").arg(*earlier));
        } else {
            seen.insert(key, name);
            columns.append(column);
        }
    }
    return columns;
}

QList<TableRow> tableRows(const QList<CsvRow>& rows, Complaints& bad)
{
    const qsizetype width = rows.first().cells.size();
    QList<TableRow> data;
    for (const CsvRow& row : rows.sliced(1)) {
        if (row.cells.size() != width) {
            bad.add(row.number, {},
                    QStringLiteral("it has %1 cells where the first row has %2")
                        .arg(row.cells.size())
                        .arg(width));
            continue;
        }
        data.append({row.number, row.cells});
    }
    return data;
}

} // namespace useropts
