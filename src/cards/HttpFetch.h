#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>

namespace useropts {

struct HttpTimeouts
{
    std::chrono::milliseconds stall{30000};  // no data for this long ends the request
    std::chrono::milliseconds total{120000}; // and it never runs longer than this
};

// What a successful GET brought.
struct HttpAnswer
{
    QByteArray body;
    QString contentType; // as the server labelled the body
};

// One blocking GET of a plain http address, through the system's proxy if it
// names one. Redirects are reported, never followed: the card list comes from
// the maker's own host or not at all. A local event loop keeps windows
// painted but takes no user input until the answer is complete or the
// request has failed.
Result<HttpAnswer> httpGetBlocking(const QUrl& url, const HttpTimeouts& timeouts);

} // namespace useropts
