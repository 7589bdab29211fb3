// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/CsvTable.h"
#include "common/Result.h"
#include "files/NewFiles.h"
#include "settings/EditorFields.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace useropts {

// What is wrong with a table, told by row and column in the order of the
// rows; a complaint of row 0 concerns the table as a whole and comes first.
class Complaints
{
  public:
    void add(int row, const QString& column, const QString& why);
    bool isEmpty() const { return m_lines.isEmpty(); }
    QStringList lines() const;

  private:
    QList<std::pair<int, QString>> m_lines;
};

// A table of computers as a spreadsheet saves it, its separator told by its
// first row, and where it lies.
struct TableFile
{
    QList<CsvRow> rows; // the header row first
    std::optional<FileIdentity> identity;
    QString folder; // relative paths in the table are relative to it
};

// Reads the table at path in UTF-8, or in encoding where it is given.
Result<TableFile> readTableFile(const QString& path, std::optional<TableEncoding> encoding);

// A column the command reads: a setting's, or the command's own (OUTPUT,
// PATH), which has no field.
struct TableColumn
{
    qsizetype index;
    QString header; // as the table spells it, blanks around it left out
    std::optional<Field> field;
};

// The columns of the table's first row that the command reads. A column
// whose name begins with # is a note, and a column without a name or a cell
// is what a spreadsheet leaves at the end of its rows: both are left out.
// Any other name must be a setting's or own; the complaints go to bad.
QList<TableColumn> tableColumns(const QList<CsvRow>& rows, const QString& own, Complaints& bad);

// The cells of each data row in the order of columns, each row with as many
// cells as the first row or complained of.
struct TableRow
{
    int number;
    QStringList cells; // by the index of the column in the table
};
QList<TableRow> tableRows(const QList<CsvRow>& rows, Complaints& bad);

} // namespace useropts
