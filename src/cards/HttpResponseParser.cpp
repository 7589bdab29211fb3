#include "cards/HttpResponseParser.h"

#include <QList>

namespace useropts {

namespace {

// A chunk size with its extensions; no sensible server comes near it.
constexpr qsizetype kMaxChunkSizeLine = 1024;

QString describeSize(qint64 bytes)
{
    if (bytes >= 1024 * 1024 && bytes % (1024 * 1024) == 0)
        return QStringLiteral("%1 MB").arg(bytes / (1024 * 1024));
    if (bytes >= 1024 && bytes % 1024 == 0)
        return QStringLiteral("%1 KB").arg(bytes / 1024);
    return QStringLiteral("%1 bytes").arg(bytes);
}

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

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

HttpResponseParser::HttpResponseParser(qint64 maxBodyBytes, qsizetype maxHeadBytes)
    : m_maxBodyBytes(maxBodyBytes), m_maxHeadBytes(maxHeadBytes)
{}

void HttpResponseParser::feed(QByteArrayView bytes)
{
    if (m_state != State::NeedsMore)
        return;
    m_buffer.append(bytes);
    while (m_state == State::NeedsMore && step()) {
    }
    // Only a partial line or chunk end stays behind.
    m_buffer.remove(0, m_pos);
    m_pos = 0;
}

void HttpResponseParser::finishInput()
{
    if (m_state != State::NeedsMore)
        return;
    switch (m_stage) {
    case Stage::StatusLine:
        if (m_headBytes == 0 && m_buffer.isEmpty()) {
            refuse(QStringLiteral("was empty: the server closed the connection without answering"));
            return;
        }
        [[fallthrough]];
    case Stage::Headers:
        refuse(QStringLiteral("ended before its headers were complete"));
        return;
    case Stage::LengthBody:
        refuse(QStringLiteral("ended after %1 of the %2 bytes it announced")
                   .arg(m_body.size())
                   .arg(m_head.contentLength));
        return;
    case Stage::ChunkSize:
    case Stage::ChunkData:
    case Stage::ChunkEnd:
        refuse(QStringLiteral("ended before its last chunk"));
        return;
    case Stage::Trailers:
        refuse(QStringLiteral("ended in the header lines after its last chunk"));
        return;
    }
}

// One piece of progress; false when it takes more input.
bool HttpResponseParser::step()
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_pos);
    QByteArrayView line;
    switch (m_stage) {
    case Stage::StatusLine: {
        // Whatever does not open like HTTP is refused at once, not after 64 KB.
        constexpr QByteArrayView start("HTTP/1.");
        const qsizetype n = qMin(rest.size(), start.size());
        if (rest.first(n) != start.first(n)) {
            refuse(QStringLiteral("was not an HTTP answer"));
            return false;
        }
        const Line got = takeLine(m_headBytes, m_maxHeadBytes, line);
        if (got == Line::TooLong) {
            refuse(QStringLiteral("began with more than %1 of headers")
                       .arg(describeSize(m_maxHeadBytes)));
        } else if (got == Line::Taken) {
            if (statusLine(line))
                m_stage = Stage::Headers;
            else
                refuse(QStringLiteral("was not an HTTP answer"));
        }
        return got == Line::Taken;
    }
    case Stage::Headers: {
        const Line got = takeLine(m_headBytes, m_maxHeadBytes, line);
        if (got == Line::TooLong) {
            refuse(QStringLiteral("began with more than %1 of headers")
                       .arg(describeSize(m_maxHeadBytes)));
        } else if (got == Line::Taken) {
            if (line.isEmpty())
                headEnded();
            else if (!headerLine(line))
                refuse(QStringLiteral("was malformed: a header line read \"%1\"")
                           .arg(printableText(line)));
        }
        return got == Line::Taken;
    }
    case Stage::LengthBody:
    case Stage::ChunkData: {
        if (rest.isEmpty())
            return false;
        const qsizetype n = qMin<qint64>(rest.size(), m_bodyLeft);
        m_body.append(rest.first(n));
        m_pos += n;
        m_bodyLeft -= n;
        if (m_bodyLeft == 0) {
            if (m_stage == Stage::LengthBody)
                complete();
            else
                m_stage = Stage::ChunkEnd;
        }
        return true;
    }
    case Stage::ChunkSize: {
        qsizetype unlimited = 0;
        const Line got = takeLine(unlimited, kMaxChunkSizeLine, line);
        if (got == Line::TooLong)
            line = rest; // shown cut short, the same whichever way the bytes came
        if (got == Line::TooLong || (got == Line::Taken && !chunkSizeLine(line))) {
            refuse(QStringLiteral("was malformed: a chunk size line read \"%1\"")
                       .arg(printableText(line)));
        }
        return got == Line::Taken;
    }
    case Stage::ChunkEnd:
        if (rest.startsWith("\r\n") || rest.startsWith('\n')) {
            m_pos += rest[0] == '\r' ? 2 : 1;
            m_stage = Stage::ChunkSize;
            return true;
        }
        if (rest.isEmpty() || rest == "\r")
            return false;
        refuse(QStringLiteral("was malformed: a chunk did not end where its size said"));
        return false;
    case Stage::Trailers: {
        const Line got = takeLine(m_trailerBytes, m_maxHeadBytes, line);
        if (got == Line::TooLong) {
            refuse(QStringLiteral("sent more than %1 of header lines after its last chunk")
                       .arg(describeSize(m_maxHeadBytes)));
        } else if (got == Line::Taken && line.isEmpty()) {
            complete();
        }
        return got == Line::Taken;
    }
    }
    return false;
}

// The next line without its line end, CR LF or a bare LF. used counts the
// bytes taken against limit; a line that would go past it is TooLong, even
// before its end has arrived.
HttpResponseParser::Line HttpResponseParser::takeLine(qsizetype& used, qsizetype limit,
                                                      QByteArrayView& line)
{
    const QByteArrayView rest = QByteArrayView(m_buffer).sliced(m_pos);
    const qsizetype end = rest.indexOf('\n', m_lineSearched);
    if (end < 0) {
        m_lineSearched = rest.size();
        return used + rest.size() >= limit ? Line::TooLong : Line::NeedsMore;
    }
    if (used + end + 1 > limit)
        return Line::TooLong;
    line = rest.first(end);
    if (line.endsWith('\r'))
        line.chop(1);
    used += end + 1;
    m_pos += end + 1;
    m_lineSearched = 0;
    return Line::Taken;
}

// "HTTP/1.x NNN reason", where the reason may be empty or missing.
bool HttpResponseParser::statusLine(QByteArrayView line)
{
    if (line.size() < 12 || !line.startsWith("HTTP/1.") || !isDigit(line[7]) || line[8] != ' ' ||
        line[9] < '1' || line[9] > '5' || !isDigit(line[10]) || !isDigit(line[11]) ||
        (line.size() > 12 && line[12] != ' '))
        return false;
    m_head.status = (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
    m_head.reason = line.size() > 13 ? line.sliced(13).toByteArray() : QByteArray();
    return true;
}

bool HttpResponseParser::headerLine(QByteArrayView line)
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
        const qint64 cap = m_maxBodyBytes + 1; // refused later, and no overflow meanwhile
        for (const QByteArray& part : value.toByteArray().split(',')) {
            const QByteArray digits = part.trimmed();
            qint64 length = 0;
            for (const char c : digits) {
                if (!isDigit(c)) {
                    length = -1;
                    break;
                }
                length = qMin(length * 10 + (c - '0'), cap);
            }
            if (digits.isEmpty() || length < 0) {
                if (!m_head.badLength)
                    m_head.badLength = value.toByteArray();
            } else if (m_head.contentLength >= 0 && m_head.contentLength != length) {
                m_head.lengthsDiffer = true;
            } else {
                m_head.contentLength = length;
            }
        }
    } else if (sameName(name, "Transfer-Encoding")) {
        m_head.hasTransferEncoding = true;
        appendListValue(m_head.transferEncoding, value);
    } else if (sameName(name, "Content-Encoding")) {
        appendListValue(m_head.contentEncoding, value);
    } else if (sameName(name, "Content-Type")) {
        if (m_head.contentType.isEmpty())
            m_head.contentType = value.toByteArray();
    } else if (sameName(name, "Location")) {
        if (m_head.location.isEmpty())
            m_head.location = value.toByteArray();
    }
    return true;
}

void HttpResponseParser::headEnded()
{
    if (m_head.status < 200) { // an interim answer: the real one follows
        m_head = Head();
        m_stage = Stage::StatusLine;
        return;
    }
    m_headComplete = true;
    if (m_head.status == 204 || m_head.status == 304) {
        complete();
        return;
    }
    if (m_head.badLength) {
        refuse(QStringLiteral("was malformed: its length read \"%1\"")
                   .arg(printableText(*m_head.badLength)));
        return;
    }
    if (m_head.lengthsDiffer) {
        refuse(QStringLiteral("was malformed: it gave different lengths"));
        return;
    }
    if (m_head.hasTransferEncoding && m_head.contentLength >= 0) {
        refuse(QStringLiteral("was malformed: it gave both a length and a transfer coding"));
        return;
    }
    for (const QByteArray& coding : m_head.contentEncoding.split(',')) {
        const QByteArray name = coding.trimmed();
        if (!name.isEmpty() && !sameName(name, "identity")) {
            refuse(QStringLiteral("came compressed (%1), which this editor did not ask for")
                       .arg(printableText(m_head.contentEncoding)));
            return;
        }
    }
    if (m_head.hasTransferEncoding) {
        if (!sameName(m_head.transferEncoding, "chunked")) {
            refuse(QStringLiteral("was encoded (%1) in a way this editor did not ask for")
                       .arg(printableText(m_head.transferEncoding)));
            return;
        }
        m_stage = Stage::ChunkSize;
        return;
    }
    if (m_head.contentLength < 0) {
        refuse(QStringLiteral("did not say how long it was, so a cut-off list could not be told "
                              "from a whole one"));
        return;
    }
    if (m_head.contentLength > m_maxBodyBytes) {
        refuse(QStringLiteral("announced more than %1, far more than any card list")
                   .arg(describeSize(m_maxBodyBytes)));
        return;
    }
    m_bodyLeft = m_head.contentLength;
    if (m_bodyLeft == 0)
        complete();
    else
        m_stage = Stage::LengthBody;
}

// 1 to 16 hex digits, optionally followed by ";" and extensions we ignore.
bool HttpResponseParser::chunkSizeLine(QByteArrayView line)
{
    const qsizetype semicolon = line.indexOf(';');
    const QByteArrayView digits = semicolon < 0 ? line : line.first(semicolon);
    if (digits.isEmpty() || digits.size() > 16)
        return false;
    quint64 size = 0;
    for (const char c : digits) {
        const int value = hexValue(c);
        if (value < 0)
            return false;
        size = size << 4 | unsigned(value);
    }
    if (size == 0) {
        m_stage = Stage::Trailers;
    } else if (size > quint64(m_maxBodyBytes - m_body.size())) {
        refuse(QStringLiteral("grew beyond %1, far more than any card list")
                   .arg(describeSize(m_maxBodyBytes)));
    } else {
        m_bodyLeft = qint64(size);
        m_stage = Stage::ChunkData;
    }
    return true;
}

void HttpResponseParser::refuse(QString reason)
{
    m_state = State::Refused;
    m_refusal = std::move(reason);
    m_buffer.clear();
    m_pos = 0;
    m_body.clear();
}

void HttpResponseParser::complete()
{
    m_state = State::Complete;
    m_buffer.clear();
    m_pos = 0;
}

} // namespace useropts
