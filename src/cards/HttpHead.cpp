// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/HttpHead.h"

#include <QList>

namespace useropts {

namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool sameName(QByteArrayView a, QByteArrayView b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

void appendListValue(QByteArray& list, QByteArrayView value)
{
    if (!list.isEmpty())
        list += ", ";
    list += value;
}

} // namespace

QString printableText(QByteArrayView bytes, qsizetype maxChars)
{
    QString text;
    for (const char b : bytes.first(qMin(bytes.size(), maxChars)))
        text += b >= 0x20 && b < 0x7f ? QChar::fromLatin1(b) : u'?';
    if (bytes.size() > maxChars)
        text += QStringLiteral("...");
    return text;
}

QString describeSize(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

bool HttpHead::statusLine(QByteArrayView line)
{
    // The reason may be empty or missing.
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || !isDigit(line[7]) || line[8] != ' ' ||
        line[9] < '1' || line[9] > '5' || !isDigit(line[10]) || !isDigit(line[11]) ||
        (line.size() > 12 && line[12] != ' '))
        return false;
    *this = HttpHead();
    m_status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    m_reason = line.size() > 13 ? line.sliced(13).trimmed().toByteArray() : QByteArray();
    return true;
}

bool HttpHead::headerLine(QByteArrayView line)
{
    // No white space in or after the name, which also rules out folded lines.
    const qsizetype colon = line.indexOf(':');
    if (colon <= 0)
        return false;
    const QByteArrayView name = line.first(colon);
    for (const char c : name) {
        if (c <= ' ' || c >= 0x7f)
            return false;
    }
    const QByteArrayView value = line.sliced(colon + 1).trimmed();

    if (sameName(name, "Content-Length")) {
        // Repeated lengths are allowed only when they agree.
        const qint64 cap = kMaxBodyBytes + 1; // refused later, and no overflow meanwhile
        for (const QByteArray& part : value.toByteArray().split(',')) {
            const QByteArray digits = part.trimmed();
            qint64 length = digits.isEmpty() ? -1 : 0;
            for (const char c : digits) {
                if (!isDigit(c)) {
                    length = -1;
                    break;
                }
                length = qMin(length * 10 + (c - '0'), cap);
            }
            if (length < 0) {
                if (!m_badLength)
                    m_badLength = value.toByteArray();
            } else if (m_contentLength >= 0 && m_contentLength != length) {
                m_lengthsDiffer = true;
            } else {
                m_contentLength = length;
            }
        }
    } else if (sameName(name, "Transfer-Encoding")) {
        m_hasTransferEncoding = true;
        appendListValue(m_transferEncoding, value);
    } else if (sameName(name, "Content-Encoding")) {
        appendListValue(m_contentEncoding, value);
    } else if (sameName(name, "Content-Type")) {
        if (m_contentType.isEmpty())
            m_contentType = value.toByteArray();
    } else if (sameName(name, "Location")) {
        if (m_location.isEmpty())
            m_location = value.toByteArray();
    }
    return true;
}

Result<> HttpHead::bodyRules() const
{
    if (m_badLength) {
        return Failure{QStringLiteral("was malformed: its length read \"%1\"")
                           .arg(printableText(*m_badLength))};
    }
    if (m_lengthsDiffer)
        return Failure{QStringLiteral("was malformed: it gave different lengths")};
    if (m_hasTransferEncoding && m_contentLength >= 0)
        return Failure{
            QStringLiteral("was malformed: it gave both a length and a transfer coding")};
    for (const QByteArray& coding : m_contentEncoding.split(',')) {
        const QByteArray name = coding.trimmed();
        if (!name.isEmpty() && !sameName(name, "identity")) {
            return Failure{QStringLiteral("came compressed (%1), which this editor did not ask for")
                               .arg(printableText(m_contentEncoding))};
        }
    }
    if (m_hasTransferEncoding && !sameName(m_transferEncoding, "chunked")) {
        return Failure{QStringLiteral("was encoded (%1) in a way this editor did not ask for")
                           .arg(printableText(m_transferEncoding))};
    }
    if (!m_hasTransferEncoding && m_contentLength < 0) {
        return Failure{QStringLiteral("did not say how long it was, so a cut-off list could not "
                                      "be told from a whole one")};
    }
    if (m_contentLength > kMaxBodyBytes) {
        return Failure{QStringLiteral("announced more than %1, far more than any card list")
                           .arg(describeSize(kMaxBodyBytes))};
    }
    return {};
}

} // namespace useropts
