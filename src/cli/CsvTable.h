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

// The rows of a comma-separated table as spreadsheets write it: UTF-8, a
// byte-order mark allowed; a cell in double quotes may hold commas, line ends
// and doubled quotes; rows end in CR LF, LF or CR. A blank line is no row,
// though it counts in the numbers of the rows after it. The first failure,
// such as an unclosed quote or bytes that are not UTF-8, names its row (also
// as the failure's line) and its column, by the first row's cell where there
// is one.
Result<QList<CsvRow>> parseCsv(QByteArrayView bytes);

} // namespace useropts
