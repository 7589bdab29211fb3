// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/Result.h"

#include <QByteArray>
#include <QNetworkProxy>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <chrono>
#include <optional>

namespace useropts {

class CurlTransfer;

struct HttpTimeouts
{
    std::chrono::milliseconds stall{30000};  // no data for this long ends the request
    std::chrono::milliseconds total{120000}; // and it never runs longer than this
};

struct HttpRequest
{
    QUrl url; // plain http
    QByteArray userAgent;
    HttpTimeouts timeouts;
};

// What a successful GET brought.
struct HttpAnswer
{
    QByteArray body;
    QString contentType; // as the server labelled the body
};

// The error number of a download that was cancelled, so that the caller can
// tell it from one that failed.
namespace HttpError {
inline constexpr int Cancelled = 1;
} // namespace HttpError

// Lets whoever started a download end it from elsewhere, as a close of the
// window does while the download's own box is on screen.
class HttpStop final : public QObject
{
    Q_OBJECT

  public:
    void request();
    bool isRequested() const { return m_requested; }

  signals:
    void requested();

  private:
    bool m_requested = false;
};

// One GET of a plain http address, through the proxy the desktop names for
// it. The answer counts only with status 200 and a body whose end is where
// HTTP says (a length or chunks). One redirect is followed, and only from
// http://HOST/PATH to https://HOST/PATH, the certificate checked against
// the system's store; every other redirect is refused, naming where it
// pointed. Runs on the application's event loop; cancel() ends it at once.
class HttpDownload final : public QObject
{
    Q_OBJECT

  public:
    explicit HttpDownload(HttpRequest request, QObject* parent = nullptr);
    ~HttpDownload() override;

    void start();
    // Ends a running download with the error number HttpError::Cancelled.
    void cancel();
    // Runs the application's events until the download has ended.
    Result<HttpAnswer> waitForResult();

    bool isRunning() const { return m_transfer != nullptr; }
    // Body bytes received so far.
    qint64 received() const;

  signals:
    void progressed(qint64 received);
    void finished();

  private:
    void startStep(const QUrl& url);
    void stepEnded();
    void end(Result<HttpAnswer> result);
    void retireTransfer();

    const HttpRequest m_request;
    QUrl m_address;        // of the request now running
    QNetworkProxy m_proxy; // that it goes through
    bool m_upgraded = false;
    CurlTransfer* m_transfer = nullptr; // a child; running while set
    qint64 m_received = 0;
    QTimer m_stall;
    QTimer m_deadline;
    std::optional<Result<HttpAnswer>> m_result;
};

} // namespace useropts
