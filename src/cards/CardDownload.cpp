// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/CardDownload.h"

#include <algorithm>

namespace useropts {

QByteArray storedCardList(QByteArrayView body)
{
    QByteArray stored(body.size() + 2, Qt::Uninitialized);
    char* out = stored.data();
    for (const char b : body) {
        if (b != '"')
            *out++ = b == '\n' ? '\r' : b;
    }
    *out++ = '\r';
    *out++ = '\n';
    stored.truncate(out - stored.constData());
    return stored;
}

namespace {

bool startsLikeMarkup(QByteArrayView body)
{
    if (body.startsWith("\xEF\xBB\xBF")) // a byte order mark in front of a page
        body = body.sliced(3);
    qsizetype i = 0;
    while (i < body.size() && (body[i] == ' ' || body[i] == '\t' || body[i] == '\r' ||
                               body[i] == '\n' || body[i] == '\f' || body[i] == '\v'))
        ++i;
    if (i + 1 >= body.size() || body[i] != '<')
        return false;
    const char next = body[i + 1];
    return (next >= 'A' && next <= 'Z') || (next >= 'a' && next <= 'z') || next == '!' ||
           next == '?';
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isHtmlType(QStringView contentType)
{
    const QStringView mediaType = contentType.left(contentType.indexOf(u';')).trimmed();
    return mediaType.compare(u"text/html", Qt::CaseInsensitive) == 0 ||
           mediaType.compare(u"application/xhtml+xml", Qt::CaseInsensitive) == 0;
}

// A tag anywhere: "<name" ended by white space, '>' or '/', "</name", "<!"
// or "<?". Card descriptions hold no such thing.
bool holdsMarkup(QByteArrayView text)
{
    for (qsizetype i = text.indexOf('<'); i >= 0 && i + 1 < text.size();
         i = text.indexOf('<', i + 1)) {
        const char next = text[i + 1];
        if (next == '!' || next == '?')
            return true;
        if (next == '/') {
            if (i + 2 < text.size() && isLetter(text[i + 2]))
                return true;
            continue;
        }
        if (!isLetter(next))
            continue;
        qsizetype end = i + 2;
        while (end < text.size() &&
               (isLetter(text[end]) || (text[end] >= '0' && text[end] <= '9') || text[end] == '-'))
            ++end;
        if (end < text.size() &&
            (text[end] == '>' || text[end] == '/' || text[end] == ' ' || text[end] == '\t' ||
             text[end] == '\r' || text[end] == '\n' || text[end] == '\f'))
            return true;
    }
    return false;
}

bool isWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

} // namespace

Result<> checkCardList(QByteArrayView body, QStringView contentType)
{
    if (body.contains('\0'))
        return Failure{QStringLiteral("the web site sent binary data instead of a card list")};
    if (startsLikeMarkup(body) ||
        (isHtmlType(contentType) && holdsMarkup(body.first(qMin<qsizetype>(body.size(), 4096)))))
        return Failure{QStringLiteral("the web site sent a web page instead of a card list")};
    if (body.isEmpty())
        return Failure{QStringLiteral("the web site sent an empty answer instead of a card list")};
    if (std::all_of(body.begin(), body.end(), [](char c) { return isWhiteSpace(c) || c == '"'; }))
        return Failure{QStringLiteral("the web site sent only blank lines instead of a card list")};
    return {};
}

bool shrinksTooFar(qsizetype oldCount, qsizetype newCount)
{
    return 2 * newCount < oldCount;
}

} // namespace useropts
