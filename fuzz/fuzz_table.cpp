// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes given as a batch table either fail with the row and column named,
// or give rows that, written out again as a spreadsheet would (every cell
// quoted, CR LF) or as a hand would (quotes only where needed, LF, a
// byte-order mark), read back into the same cells: no table can be read two
// ways.
#include "cli/CsvTable.h"

#include <cstdint>
#include <cstdlib>

using namespace useropts;

namespace {

QByteArray written(const QList<CsvRow>& rows, bool quoteAll, const QByteArray& lineEnd)
{
    QByteArray out = quoteAll ? QByteArray() : QByteArray("\xEF\xBB\xBF");
    for (const CsvRow& row : rows) {
        for (qsizetype i = 0; i < row.cells.size(); ++i) {
            QByteArray cell = row.cells[i].toUtf8();
            // A lone empty cell would be a blank line, which is no row.
            const bool needsQuotes = quoteAll || cell.contains('"') || cell.contains(',') ||
                                     cell.contains('\r') || cell.contains('\n') ||
                                     (row.cells.size() == 1 && cell.isEmpty());
            if (needsQuotes)
                cell = '"' + cell.replace('"', "\"\"") + '"';
            out += (i ? "," : "") + cell;
        }
        out += lineEnd;
    }
    return out;
}

QList<QStringList> cellsOf(const QList<CsvRow>& rows)
{
    QList<QStringList> cells;
    for (const CsvRow& row : rows)
        cells.append(row.cells);
    return cells;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const Result<QList<CsvRow>> table = parseCsv(bytes);
    if (!table.ok()) {
        const Failure& failure = table.failure();
        if (failure.line < 1 ||
            !failure.reason.startsWith(QStringLiteral("row %1, column ").arg(failure.line)))
            std::abort();
        return 0;
    }
    int last = 0;
    for (const CsvRow& row : table.value()) {
        if (row.number <= last || row.cells.isEmpty())
            std::abort();
        last = row.number;
    }
    for (const bool quoteAll : {true, false}) {
        const Result<QList<CsvRow>> again =
            parseCsv(written(table.value(), quoteAll, quoteAll ? "\r\n" : "\n"));
        if (!again.ok() || cellsOf(again.value()) != cellsOf(table.value()))
            std::abort();
    }
    return 0;
}
