#include "cards/CardDownload.h"

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

} // namespace

std::optional<QString> notACardList(QByteArrayView body)
{
    if (body.contains('\0'))
        return QStringLiteral("The web site sent binary data instead of a card list.");
    if (startsLikeMarkup(body))
        return QStringLiteral("The web site sent a web page instead of a card list.");
    return std::nullopt;
}

} // namespace useropts
