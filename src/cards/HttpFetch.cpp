#include "cards/HttpFetch.h"

#include "cards/HttpResponseParser.h"
#include "ui/ProgramVersion.h"

#include <QEventLoop>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QTcpSocket>
#include <QTimer>

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

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

Failure statusFailure(const QString& where, const HttpResponseParser& answer)
{
    const int status = answer.status();
    const QByteArray reason = answer.reasonPhrase().trimmed();
    QString text = QStringLiteral("the request for %1 was answered with HTTP status %2%3")
                       .arg(where)
                       .arg(status)
                       .arg(reason.isEmpty() ? QString() : u' ' + printableText(reason, 60));
    if (status >= 300 && status <= 399 && !answer.location().isEmpty()) {
        text += QStringLiteral(" and pointed to %1, which was not followed")
                    .arg(printableText(answer.location(), 100));
    } else {
        text += QStringLiteral(" instead of the card list");
    }
    return Failure{text, 0, status};
}

// Exactly one GET, asking for the list as it is: no compression to undo, and
// the end of the answer is where the server says it is.
QByteArray requestHead(const QUrl& url, const std::optional<QNetworkProxy>& httpProxy)
{
    QUrl target = url.adjusted(QUrl::RemoveUserInfo | QUrl::RemoveFragment);
    if (target.path().isEmpty())
        target.setPath(QStringLiteral("/"));
    // A proxy is told the whole address, the server itself only the path.
    const QByteArray requestTarget =
        httpProxy ? target.toEncoded()
                  : target.toEncoded(QUrl::RemoveScheme | QUrl::RemoveAuthority);
    QByteArray head = "GET " + requestTarget +
                      " HTTP/1.1\r\nHost: " + target.authority(QUrl::FullyEncoded).toLatin1() +
                      "\r\nUser-Agent: UserOptionsEditor/" + programVersion().toLatin1() +
                      "\r\nAccept-Encoding: identity\r\nConnection: close\r\n";
    if (httpProxy && !httpProxy->user().isEmpty()) {
        head += "Proxy-Authorization: Basic " +
                (httpProxy->user() + u':' + httpProxy->password()).toUtf8().toBase64() + "\r\n";
    }
    return head + "\r\n";
}

} // namespace

Result<HttpAnswer> httpGetBlocking(const QUrl& url, const HttpTimeouts& timeouts)
{
    const QString where = url.toDisplayString();

    // The system's proxy, as the rest of the desktop uses it. An HTTP proxy
    // is spoken to directly; a SOCKS proxy carries the connection.
    const QList<QNetworkProxy> proxies =
        QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(url));
    const QNetworkProxy proxy =
        proxies.isEmpty() ? QNetworkProxy(QNetworkProxy::NoProxy) : proxies.first();
    std::optional<QNetworkProxy> httpProxy;
    if (proxy.type() == QNetworkProxy::HttpProxy || proxy.type() == QNetworkProxy::HttpCachingProxy)
        httpProxy = proxy;

    QTcpSocket socket;
    socket.setProxy(
        proxy.type() == QNetworkProxy::Socks5Proxy ? proxy : QNetworkProxy(QNetworkProxy::NoProxy));
    HttpResponseParser answer;
    QEventLoop loop;
    QTimer stall;
    QTimer deadline;
    stall.setSingleShot(true);
    deadline.setSingleShot(true);

    enum class End
    {
        Running,
        Answered,
        Stalled,
        Overdue,
        SocketFailed
    };
    End end = End::Running;
    QString socketError;
    const auto finish = [&](End why) {
        if (end != End::Running)
            return;
        end = why;
        loop.quit();
    };
    // The server closing the connection ends the answer; the parser knows
    // whether that came too soon.
    const auto closed = [&] {
        answer.feed(socket.readAll());
        answer.finishInput();
        finish(End::Answered);
    };

    QObject::connect(&stall, &QTimer::timeout, &loop, [&] { finish(End::Stalled); });
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { finish(End::Overdue); });
    QObject::connect(&socket, &QTcpSocket::connected, &loop,
                     [&] { socket.write(requestHead(url, httpProxy)); });
    QObject::connect(&socket, &QTcpSocket::readyRead, &loop, [&] {
        stall.start(timeouts.stall);
        answer.feed(socket.readAll());
        // An error status is all there is to know: its body is not wanted.
        if (answer.state() != HttpResponseParser::State::NeedsMore ||
            (answer.headComplete() && !isSuccess(answer.status())))
            finish(End::Answered);
    });
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, closed);
    QObject::connect(&socket, &QTcpSocket::errorOccurred, &loop,
                     [&](QAbstractSocket::SocketError error) {
                         if (error == QAbstractSocket::RemoteHostClosedError) {
                             closed();
                             return;
                         }
                         socketError = socket.errorString();
                         finish(End::SocketFailed);
                     });

    stall.start(timeouts.stall);
    deadline.start(timeouts.total);
    if (httpProxy)
        socket.connectToHost(httpProxy->hostName(), httpProxy->port());
    else
        socket.connectToHost(url.host(), quint16(url.port(80)));
    // Windows keep painting, but no click or key reaches them meanwhile.
    if (end == End::Running)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    QObject::disconnect(&socket, nullptr, &loop, nullptr);
    socket.abort();

    switch (end) {
    case End::Answered:
        break;
    case End::Running: // the application is quitting
        return Failure{QStringLiteral("the download from %1 was interrupted").arg(where)};
    case End::Stalled:
        return Failure{
            QStringLiteral("the server sent nothing for %2, so the download from %1 was given up")
                .arg(where, describeDuration(timeouts.stall))};
    case End::Overdue:
        return Failure{QStringLiteral("the download from %1 did not finish within %2")
                           .arg(where, describeDuration(timeouts.total))};
    case End::SocketFailed:
        return Failure{QStringLiteral("the card list could not be downloaded from %1: %2")
                           .arg(where, socketError)};
    }
    if (answer.headComplete() && !isSuccess(answer.status()))
        return statusFailure(where, answer);
    if (answer.state() != HttpResponseParser::State::Complete)
        return Failure{QStringLiteral("the answer from %1 %2").arg(where, answer.refusal())};
    return HttpAnswer{answer.body(), QString::fromLatin1(answer.contentType())};
}

} // namespace useropts
