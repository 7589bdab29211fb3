#include "cli/CsvTable.h"

#include <QStringDecoder>

namespace useropts {

namespace {

class CsvParser
{
  public:
    explicit CsvParser(QByteArrayView bytes) : m_bytes(bytes) {}

    Result<QList<CsvRow>> parse()
    {
        if (m_bytes.startsWith("\xEF\xBB\xBF"))
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
            if (c == ',') {
                // A comma at the very end still opens one more, empty cell.
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

    // Reads one cell up to the comma or line end after it, which it leaves.
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

    static bool isCellEnd(char c) { return c == ',' || c == '\r' || c == '\n'; }

    Result<> endRow()
    {
        const bool blank = m_cells.size() == 1 && m_cells[0].isEmpty() && !m_lastQuoted;
        if (!blank) {
            CsvRow row{m_row, {}};
            for (const QByteArray& bytes : m_cells) {
                // Stateless, so that a sequence cut off at the cell's end counts too.
                QStringDecoder utf8(QStringDecoder::Utf8,
                                    QStringDecoder::Flag::Stateless |
                                        QStringDecoder::Flag::ConvertInitialBom);
                QString text = utf8(bytes);
                if (utf8.hasError()) {
                    return failure(row.cells.size(),
                                   QStringLiteral("the cell is not UTF-8 text (save the table as "
                                                  "CSV in UTF-8)"));
                }
                row.cells.append(std::move(text));
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

Result<QList<CsvRow>> parseCsv(QByteArrayView bytes)
{
    return CsvParser(bytes).parse();
}

} // namespace useropts
