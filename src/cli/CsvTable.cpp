// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CsvTable.h"

#include "encodings/Charset.h"

#include <QStringDecoder>

namespace useropts {

namespace {

class CsvParser
{
  public:
    CsvParser(QByteArrayView bytes, char separator, TableEncoding encoding)
        : m_bytes(bytes), m_separator(separator), m_encoding(encoding)
    {}

    Result<QList<CsvRow>> parse()
    {
        if (m_encoding == TableEncoding::Utf8 && m_bytes.startsWith("\xEF\xBB\xBF"))
            m_pos = 3;
        while (m_pos < m_bytes.size()) {
            if (Result<> cell = readCell(); !cell.ok())
                return cell.failure();
            if (m_pos == m_bytes.size()) {
                if (Result<> ended = endRow(); !ended.ok())
                    return ended.failure();
                break;
            }
            const char c = m_bytes[m_pos++];
            if (c == m_separator) {
                // A separator at the very end still opens one more, empty cell.
                if (m_pos == m_bytes.size()) {
                    m_cells.append(QByteArray());
                    m_lastQuoted = false;
                    if (Result<> ended = endRow(); !ended.ok())
                        return ended.failure();
                }
                continue;
            }
            if (c == '\r' && m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
                ++m_pos;
            if (Result<> ended = endRow(); !ended.ok())
                return ended.failure();
        }
        return m_rows;
    }

  private:
    QByteArrayView m_bytes;
    char m_separator;
    TableEncoding m_encoding;
    qsizetype m_pos = 0;
    int m_row = 1;
    QList<QByteArray> m_cells; // of the row being read
    bool m_lastQuoted = false;
    QStringList m_header;
    QList<CsvRow> m_rows;

    Failure failure(qsizetype column, const QString& why) const
    {
        const QString where = m_row > 1 && column < m_header.size() && !m_header[column].isEmpty()
                                  ? m_header[column]
                                  : QString::number(column + 1);
        return Failure{QStringLiteral("row %1, column %2: %3").arg(m_row).arg(where, why), m_row};
    }

    // Reads one cell up to the separator or line end after it, which it leaves.
    Result<> readCell()
    {
        QByteArray cell;
        m_lastQuoted = m_bytes[m_pos] == '"';
        if (m_lastQuoted) {
            ++m_pos;
            for (;;) {
                const qsizetype quote = m_bytes.indexOf('"', m_pos);
                if (quote < 0)
                    return failure(m_cells.size(),
                                   QStringLiteral("a quoted cell is not closed before the table "
                                                  "ends"));
                cell += m_bytes.sliced(m_pos, quote - m_pos);
                m_pos = quote + 1;
                if (m_pos < m_bytes.size() && m_bytes[m_pos] == '"') {
                    cell += '"';
                    ++m_pos;
                    continue;
                }
                break;
            }
            if (m_pos < m_bytes.size() && !isCellEnd(m_bytes[m_pos]))
                return failure(m_cells.size(),
                               QStringLiteral("a quoted cell goes on after its closing quote"));
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_bytes.size() && !isCellEnd(m_bytes[m_pos])) {
                if (m_bytes[m_pos] == '"') {
                    return failure(m_cells.size(),
                                   QStringLiteral("a quote inside a cell that does not start "
                                                  "with one (quote the whole cell and double "
                                                  "the quotes inside)"));
                }
                ++m_pos;
            }
            cell = m_bytes.sliced(start, m_pos - start).toByteArray();
        }
        m_cells.append(cell);
        return {};
    }

    bool isCellEnd(char c) const { return c == m_separator || c == '\r' || c == '\n'; }

    Result<QString> decoded(const QByteArray& bytes, qsizetype column) const
    {
        if (m_encoding == TableEncoding::Windows1252)
            return Charset::decode(bytes);
        // Stateless, so that a sequence cut off at the cell's end counts too.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8(bytes);
        if (utf8.hasError()) {
            return failure(column, QStringLiteral("the cell is not UTF-8 text (save the table as "
                                                  "CSV in UTF-8, or give --encoding "
                                                  "windows-1252)"));
        }
        return text;
    }

    Result<> endRow()
    {
        const bool blank = m_cells.size() == 1 && m_cells[0].isEmpty() && !m_lastQuoted;
        if (!blank) {
            CsvRow row{m_row, {}};
            for (const QByteArray& bytes : m_cells) {
                Result<QString> text = decoded(bytes, row.cells.size());
                if (!text.ok())
                    return text.failure();
                row.cells.append(std::move(text.value()));
            }
            if (m_rows.isEmpty())
                m_header = row.cells;
            m_rows.append(std::move(row));
        }
        m_cells.clear();
        ++m_row;
        return {};
    }
};

} // namespace

Result<QList<CsvRow>> parseCsv(QByteArrayView bytes, char separator, TableEncoding encoding)
{
    return CsvParser(bytes, separator, encoding).parse();
}

Result<char> separatorOf(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    QList<char> seen;
    bool quoted = false;
    for (const char c : bytes) {
        if (c == '"')
            quoted = !quoted;
        else if (!quoted && (c == '\r' || c == '\n'))
            break;
        else if (!quoted && (c == ',' || c == ';' || c == '\t') && !seen.contains(c))
            seen.append(c);
    }
    if (seen.size() == 1)
        return seen.first();
    const QString why = seen.isEmpty() ? QStringLiteral("no comma, semicolon or tab stands between "
                                                        "its names")
                                       : QStringLiteral("more than one of a comma, a semicolon "
                                                        "and a tab stands between its names");
    return Failure{QStringLiteral("row 1: %1, so the separator of the table's cells cannot be "
                                  "told (the first row names the settings, separated by commas, "
                                  "semicolons or tabs)")
                       .arg(why),
                   1};
}

QByteArray csvRow(const QStringList& cells)
{
    QByteArray out;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        QByteArray cell = cells[i].toUtf8();
        // A lone empty cell would be a blank line, which is no row.
        if (cell.contains('"') || cell.contains(',') || cell.contains('\r') ||
            cell.contains('\n') || (cells.size() == 1 && cell.isEmpty()))
            cell = '"' + cell.replace('"', "\"\"") + '"';
        out += (i ? "," : "") + cell;
    }
    return out + "\r\n";
}

} // namespace useropts
