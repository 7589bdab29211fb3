// SPDX-License-Identifier: GPL-3.0-or-later
#include "cards/HttpDownload.h"

#include "cards/CurlTransfer.h"
#include "cards/HttpFailure.h"

#include <QEventLoop>
#include <QNetworkProxyFactory>

namespace useropts {

namespace {

QString describeDuration(std::chrono::milliseconds duration)
{
    const qint64 ms = duration.count();
    if (ms >= 60000 && ms % 60000 == 0) {
        const qint64 minutes = ms / 60000;
        return minutes == 1 ? QStringLiteral("1 minute")
                            : QStringLiteral("%1 minutes").arg(minutes);
    }
    if (ms == 1000)
        return QStringLiteral("1 second");
    return QStringLiteral("%1 seconds").arg(QString::number(double(ms) / 1000.0, 'g', 4));
}

bool isRedirect(int status)
{
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Sites move to https with a redirect to the same address there; that one
// step is taken, and no other.
bool isHttpsUpgrade(const QUrl& from, const QUrl& to)
{
    return to.isValid() && from.scheme() == u"http" && to.scheme() == u"https" &&
           to.host() == from.host() && to.port(443) == 443 && to.userInfo().isEmpty() &&
           !to.hasQuery() && !to.hasFragment() &&
           to.path(QUrl::FullyEncoded) == from.path(QUrl::FullyEncoded);
}

// As the desktop would go: its proxy settings, or http_proxy, https_proxy
// and no_proxy. The first choice only: falling back to a direct connection
// when the proxy fails would go around a proxy the network requires.
QNetworkProxy proxyFor(const QUrl& url)
{
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    return proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
}

} // namespace

void HttpStop::request()
{
    if (m_requested)
        return;
    m_requested = true;
    emit requested();
}

HttpDownload::HttpDownload(HttpRequest request, QObject* parent)
    : QObject(parent), m_request(std::move(request))
{
    m_stall.setSingleShot(true);
    m_deadline.setSingleShot(true);
    connect(&m_stall, &QTimer::timeout, this, [this] {
        end(Failure{
            QStringLiteral("the server sent nothing for %2, so the download from %1 was given up")
                .arg(m_address.toDisplayString(), describeDuration(m_request.timeouts.stall))});
    });
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        end(Failure{
            QStringLiteral("the download from %1 did not finish within %2")
                .arg(m_address.toDisplayString(), describeDuration(m_request.timeouts.total))});
    });
}

HttpDownload::~HttpDownload() = default;

void HttpDownload::start()
{
    if (m_transfer || m_result)
        return;
    m_deadline.start(m_request.timeouts.total);
    startStep(m_request.url);
}

void HttpDownload::startStep(const QUrl& url)
{
    m_address = url;
    m_proxy = proxyFor(url);
    m_transfer = new CurlTransfer({url, m_request.userAgent, m_proxy}, this);
    connect(m_transfer, &CurlTransfer::progressed, this, [this] {
        m_stall.start(m_request.timeouts.stall);
        m_received = m_transfer->body().size();
        emit progressed(m_received);
    });
    connect(m_transfer, &CurlTransfer::ended, this, &HttpDownload::stepEnded);
    m_stall.start(m_request.timeouts.stall);
    m_transfer->start();
}

void HttpDownload::stepEnded()
{
    const CurlTransfer& transfer = *m_transfer;
    const CurlTransfer::Outcome& outcome = transfer.outcome();
    const HttpHead& head = transfer.head();
    // The whole answer as HTTP frames it, or its head where that is all we want.
    const bool answered =
        outcome.refusal.isEmpty() && (outcome.headOnly || outcome.code == CURLE_OK);
    if (answered && head.status() == 200) {
        m_received = transfer.body().size();
        end(HttpAnswer{transfer.body(), QString::fromLatin1(head.contentType())});
        return;
    }
    if (answered && isRedirect(head.status()) && !m_upgraded) {
        const QUrl target =
            m_address.resolved(QUrl(QString::fromLatin1(head.location()), QUrl::StrictMode));
        if (isHttpsUpgrade(m_address, target)) {
            m_upgraded = true;
            retireTransfer();
            startStep(target);
            return;
        }
    }
    end(describeFailure(transfer, m_address, m_proxy));
}

void HttpDownload::cancel()
{
    if (!isRunning())
        return;
    end(Failure{
        QStringLiteral("the download from %1 was cancelled").arg(m_address.toDisplayString()), 0,
        HttpError::Cancelled});
}

Result<HttpAnswer> HttpDownload::waitForResult()
{
    if (isRunning()) {
        QEventLoop loop;
        connect(this, &HttpDownload::finished, &loop, &QEventLoop::quit);
        loop.exec();
        cancel(); // the application is quitting: nothing may run on behind it
    }
    if (!m_result) {
        return Failure{QStringLiteral("the download from %1 was cancelled")
                           .arg(m_request.url.toDisplayString()),
                       0, HttpError::Cancelled};
    }
    return *m_result;
}

qint64 HttpDownload::received() const
{
    return m_received;
}

void HttpDownload::end(Result<HttpAnswer> result)
{
    if (m_result)
        return;
    m_stall.stop();
    m_deadline.stop();
    retireTransfer();
    m_result = std::move(result);
    emit finished();
}

void HttpDownload::retireTransfer()
{
    if (!m_transfer)
        return;
    // Its own signal may be running: it goes once that has returned.
    m_transfer->stop();
    disconnect(m_transfer, nullptr, this, nullptr);
    m_transfer->deleteLater();
    m_transfer = nullptr;
}

} // namespace useropts
