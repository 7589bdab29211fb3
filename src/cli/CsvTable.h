// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArrayView>
#include <QList>
#include <QStringList>

namespace useropts {

struct CsvRow
{
    int number; // as a spreadsheet numbers it: the first row is 1
    QStringList cells;
};

// How a table's bytes stand for its characters: UTF-8, as the command writes
// tables and a spreadsheet saves "CSV UTF-8", or the Windows code page that a
// spreadsheet's plain "CSV" gives on Windows.
enum class TableEncoding
{
    Utf8,
    Windows1252,
};

// The rows of a table as spreadsheets write it, its cells separated by
// separator: a byte-order mark allowed in UTF-8; a cell in double quotes may
// hold separators, line ends and doubled quotes; rows end in CR LF, LF or CR.
// A blank line is no row, though it counts in the numbers of the rows after
// it. The first failure, such as an unclosed quote or bytes that are not
// UTF-8, names its row (also as the failure's line) and its column, by the
// first row's cell where there is one.
Result<QList<CsvRow>> parseCsv(QByteArrayView bytes, char separator = ',',
                               TableEncoding encoding = TableEncoding::Utf8);

// The separator that stands between the names of a table's first row: a
// comma, a semicolon or a tab, whichever is the only one there. A first row
// with none of them, or more than one, fails.
Result<char> separatorOf(QByteArrayView bytes);

// One row as the command writes tables: cells quoted only where needed, as
// RFC 4180 says, and CR LF at its end.
QByteArray csvRow(const QStringList& cells);

} // namespace useropts
