// SPDX-License-Identifier: GPL-3.0-or-later
#include "encodings/TextLines.h"

namespace useropts {

QByteArray LineReader::next()
{
    const qsizetype start = m_pos;
    qsizetype cr = m_bytes.indexOf('\r', start);
    if (cr < 0) {
        m_pos = m_bytes.size();
        return m_bytes.mid(start);
    }
    m_pos = cr + 1;
    if (m_pos < m_bytes.size() && m_bytes[m_pos] == '\n')
        ++m_pos;
    return m_bytes.mid(start, cr - start);
}

} // namespace useropts
