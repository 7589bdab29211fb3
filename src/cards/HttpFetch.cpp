#include "cards/HttpFetch.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace useropts {

namespace {

// Far beyond any card list; an answer that grows past it is not one, and
// holding it all in memory could bring the program down.
constexpr qint64 kMaxBodyBytes = 64 * 1024 * 1024;

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

HttpResult failure(HttpResult::Error error, QString text)
{
    HttpResult result;
    result.error = error;
    result.errorText = std::move(text);
    return result;
}

HttpResult statusFailure(const QUrl& url, int status, const QString& reason)
{
    HttpResult result =
        failure(HttpResult::Error::HttpStatus,
                QStringLiteral("%1 answered with HTTP status %2%3 instead of the card list.")
                    .arg(url.toDisplayString())
                    .arg(status)
                    .arg(reason.isEmpty() ? QString() : u' ' + reason));
    result.status = status;
    return result;
}

} // namespace

HttpResult httpGetBlocking(const QUrl& url, const HttpTimeouts& timeouts)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    // Qt's own timer only notices a transfer that stands still; a server that
    // trickles a byte now and then is caught by the deadline below.
    request.setTransferTimeout(static_cast<int>(timeouts.stall.count()));
    QNetworkReply* reply = manager.get(request);

    bool overdue = false;
    bool tooLarge = false;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, reply, [&] {
        overdue = true;
        reply->abort();
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [&](qint64 received, qint64) {
        if (received > kMaxBodyBytes) {
            tooLarge = true;
            reply->abort();
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    deadline.start(timeouts.total);
    // Windows keep painting, but no click or key reaches them meanwhile.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    deadline.stop();

    const QString where = url.toDisplayString();
    if (overdue) {
        return failure(HttpResult::Error::Timeout,
                       QStringLiteral("The download from %1 did not finish within %2.")
                           .arg(where, describeDuration(timeouts.total)));
    }
    if (tooLarge) {
        return failure(HttpResult::Error::Network,
                       QStringLiteral("The answer from %1 grew beyond %2 MB, far more than any "
                                      "card list, and was refused.")
                           .arg(where)
                           .arg(kMaxBodyBytes / (1024 * 1024)));
    }
    // An aborted reply may still report the status it had begun with, so the
    // error comes first.
    const QNetworkReply::NetworkError error = reply->error();
    if (error == QNetworkReply::OperationCanceledError) {
        return failure(
            HttpResult::Error::Timeout,
            QStringLiteral("The server sent nothing for %2, so the download from %1 was given up.")
                .arg(where, describeDuration(timeouts.stall)));
    }
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int status = statusAttribute.isValid() ? statusAttribute.toInt() : 0;
    const QString reason =
        reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    // Errors from 200 on are answers the server gave; below are transport failures.
    if (error != QNetworkReply::NoError &&
        (error < QNetworkReply::ContentAccessDenied || status == 0)) {
        return failure(HttpResult::Error::Network,
                       QStringLiteral("The card list could not be downloaded from %1: %2.")
                           .arg(where, reply->errorString()));
    }
    if (error != QNetworkReply::NoError || status < 200 || status > 299)
        return statusFailure(url, status, reason);

    HttpResult result;
    result.status = status;
    result.body = reply->readAll();
    return result;
}

} // namespace useropts
