#include "cards/HttpFetch.h"

namespace useropts {

// Placeholder until the card list download is built.
HttpResult httpGetBlocking(const QUrl& url, const HttpTimeouts&)
{
    HttpResult result;
    result.error = HttpResult::Error::Network;
    result.errorText = QStringLiteral("Downloading %1 is not available yet.").arg(url.toString());
    return result;
}

} // namespace useropts
