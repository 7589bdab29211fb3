// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/HttpFailure.h"

#include <cerrno>
#include <cstring>
#include <optional>

namespace useropts {

namespace {

bool usesProxy(const QNetworkProxy& proxy)
{
    const QNetworkProxy::ProxyType type = proxy.type();
    return type == QNetworkProxy::HttpProxy || type == QNetworkProxy::HttpCachingProxy ||
           type == QNetworkProxy::Socks5Proxy;
}

// "127.0.0.1:3128", "[::1]:3128": as it is written in a proxy address.
QString proxyName(const QNetworkProxy& proxy)
{
    QUrl address;
    address.setHost(proxy.hostName());
    address.setPort(proxy.port());
    return address.authority();
}

Failure proxyPassword(const QNetworkProxy& proxy)
{
    return Failure{
        proxy.user().isEmpty()
            ? QStringLiteral("the proxy %1 asked for a user name and password, and its address "
                             "gives none")
                  .arg(proxyName(proxy))
            : QStringLiteral("the proxy %1 did not accept the user name and password its address "
                             "gives")
                  .arg(proxyName(proxy))};
}

Failure statusFailure(const QString& where, const HttpHead& head, const QNetworkProxy& proxy)
{
    const int status = head.status();
    if (status == 407 && usesProxy(proxy))
        return proxyPassword(proxy);
    const QByteArray reason = head.reason();
    QString text =
        QStringLiteral("the request for %1%2 was answered with HTTP status %3%4")
            .arg(where,
                 usesProxy(proxy) ? QStringLiteral(" through the proxy ") + proxyName(proxy)
                                  : QString(),
                 QString::number(status),
                 reason.isEmpty() ? QString() : u' ' + printableText(reason, 60));
    if (status >= 300 && status <= 399 && !head.location().isEmpty()) {
        text += QStringLiteral(" and pointed to %1, which was not followed")
                    .arg(printableText(head.location(), 100));
    } else {
        text += QStringLiteral(" instead of the card list");
    }
    return Failure{text, 0, status};
}

QString systemError(const CurlTransfer::Outcome& outcome)
{
    return outcome.osError != 0 ? QString::fromLocal8Bit(std::strerror(int(outcome.osError)))
                                : outcome.libraryText;
}

// libcurl's words without its prefix: "unable to get local issuer certificate".
QString certificateProblem(QString text)
{
    for (const QString& prefix :
         {QStringLiteral("SSL certificate problem: "), QStringLiteral("SSL: ")}) {
        if (text.startsWith(prefix))
            return text.sliced(prefix.size());
    }
    return text;
}

Failure proxyFailure(const CurlTransfer::Outcome& outcome, const QUrl& address,
                     const QNetworkProxy& proxy)
{
    const QString name = proxyName(proxy);
    if (outcome.proxyStatus == 407)
        return proxyPassword(proxy);
    if (outcome.proxyStatus >= 300) {
        return Failure{QStringLiteral("the proxy %1 would not connect to %2 (HTTP status %3)")
                           .arg(name, address.authority(), QString::number(outcome.proxyStatus))};
    }
    if (outcome.code == CURLE_COULDNT_RESOLVE_PROXY)
        return Failure{QStringLiteral("the proxy %1 could not be found").arg(name)};
    if (outcome.osError == ECONNREFUSED)
        return Failure{QStringLiteral("the proxy %1 refused the connection").arg(name)};
    if (outcome.code == CURLE_COULDNT_CONNECT) {
        return Failure{QStringLiteral("the proxy %1 could not be reached: %2")
                           .arg(name, systemError(outcome))};
    }
    return Failure{QStringLiteral("the proxy %1 failed: %2").arg(name, outcome.libraryText)};
}

bool isProxyFailure(const CurlTransfer::Outcome& outcome, const QNetworkProxy& proxy)
{
    return usesProxy(proxy) &&
           (outcome.proxyStatus >= 300 || outcome.code == CURLE_COULDNT_RESOLVE_PROXY ||
            outcome.code == CURLE_COULDNT_CONNECT || outcome.code == CURLE_PROXY);
}

std::optional<Failure> framingFailure(const CurlTransfer& transfer, const QString& where)
{
    const CurlTransfer::Outcome& outcome = transfer.outcome();
    const QString answer = QStringLiteral("the answer from %1 ").arg(where);
    if (outcome.code == CURLE_PARTIAL_FILE) {
        if (transfer.head().chunked())
            return Failure{answer + QStringLiteral("ended before its last chunk")};
        return Failure{answer + QStringLiteral("ended after %1 of the %2 bytes it announced")
                                    .arg(transfer.body().size())
                                    .arg(transfer.head().contentLength())};
    }
    if (outcome.code == CURLE_GOT_NOTHING) {
        return Failure{answer + QStringLiteral("was empty: the server closed the connection "
                                               "without answering")};
    }
    if (outcome.code == CURLE_RECV_ERROR && transfer.head().chunked() &&
        outcome.libraryText.contains(QStringLiteral("chunk"))) {
        return Failure{answer +
                       QStringLiteral("was malformed: its chunks broke HTTP's framing (%1)")
                           .arg(outcome.libraryText)};
    }
    if (outcome.code == CURLE_WEIRD_SERVER_REPLY || outcome.code == CURLE_UNSUPPORTED_PROTOCOL)
        return Failure{answer + QStringLiteral("was not an HTTP answer")};
    return std::nullopt;
}

} // namespace

Failure describeFailure(const CurlTransfer& transfer, const QUrl& address,
                        const QNetworkProxy& proxy)
{
    const CurlTransfer::Outcome& outcome = transfer.outcome();
    const QString where = address.toDisplayString();
    if (!outcome.libraryFailure.isEmpty())
        return Failure{QStringLiteral("the card list could not be downloaded from %1: %2")
                           .arg(where, outcome.libraryFailure)};
    if (!outcome.refusal.isEmpty())
        return Failure{QStringLiteral("the answer from %1 %2").arg(where, outcome.refusal)};
    if (outcome.headOnly || outcome.code == CURLE_OK)
        return statusFailure(where, transfer.head(), proxy);
    if (isProxyFailure(outcome, proxy))
        return proxyFailure(outcome, address, proxy);

    switch (outcome.code) {
    case CURLE_COULDNT_RESOLVE_HOST:
        return Failure{QStringLiteral("the card list could not be downloaded from %1: the host %2 "
                                      "could not be found")
                           .arg(where, address.host())};
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
        return Failure{QStringLiteral("the certificate of %1 could not be verified: %2")
                           .arg(address.host(), certificateProblem(outcome.libraryText))};
    case CURLE_SSL_CONNECT_ERROR:
        return Failure{QStringLiteral("a secure connection to %1 could not be made: %2")
                           .arg(address.host(), outcome.libraryText)};
    default:
        // An answer in HTTP/0.9, without a status line, is no HTTP answer either.
        if (const std::optional<Failure> framing = framingFailure(transfer, where))
            return *framing;
        break;
    }
    return Failure{QStringLiteral("the card list could not be downloaded from %1: %2")
                       .arg(where, systemError(outcome))};
}

} // namespace useropts
