// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <utility>

namespace useropts {

// Splits text into lines the way both of our files are read: a carriage
// return ends a line, a line feed right after it belongs to the same line
// end, and any other line feed is an ordinary character. The last line needs
// no line end, and nothing follows a final line end.
class LineReader
{
  public:
    // Holds its own reference to the bytes (shared, not copied), so a
    // temporary may be passed.
    explicit LineReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

    bool atEnd() const { return m_pos >= m_bytes.size(); }

    // The next line without its line end; call only when !atEnd().
    QByteArray next();

  private:
    QByteArray m_bytes;
    qsizetype m_pos = 0;
};

} // namespace useropts
