// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cards/HttpHead.h"

#include <QByteArray>
#include <QHash>
#include <QNetworkProxy>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <curl/curl.h>

class QSocketNotifier;

namespace useropts {

// One GET through libcurl, driven by the application's event loop rather
// than a thread of its own, so that stop() ends it at once from any handler.
// libcurl frames the answer; our limits and rules on the head are kept as
// the bytes arrive, and an answer whose body is not wanted ends with its head.
class CurlTransfer final : public QObject
{
    Q_OBJECT

  public:
    struct Setup
    {
        QUrl url;
        QByteArray userAgent;
        QNetworkProxy proxy; // NoProxy for a direct connection
    };

    // How the transfer ended, once ended() has been emitted.
    struct Outcome
    {
        CURLcode code = CURLE_OK;
        QString refusal; // a rule of ours stopped it; reads on from "the answer from <address>"
        bool headOnly = false;  // stopped after a final head whose body is not wanted
        QString libraryText;    // libcurl's own words for a failure
        long osError = 0;       // errno of a connection that failed
        long proxyStatus = 0;   // what a proxy answered the request for a tunnel with
        QString libraryFailure; // why libcurl itself could not be had
    };

    explicit CurlTransfer(Setup setup, QObject* parent = nullptr);
    ~CurlTransfer() override;

    void start();
    // Ends the transfer at once; ended() is not emitted.
    void stop();

    // The last head received, interim and proxy answers replaced by the next.
    const HttpHead& head() const { return m_head; }
    const QByteArray& body() const { return m_body; }
    // Bytes of any kind received so far, for telling a stalled transfer.
    qint64 bytesSeen() const { return m_bytesSeen; }
    const Outcome& outcome() const { return m_outcome; }

  signals:
    void progressed();
    void ended();

  private:
    enum class Stage
    {
        Head,    // status line and headers of an answer
        Skipped, // the body of an answer that is not the card list
        Body     // the card list, then any trailer lines
    };
    struct Watch
    {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static size_t onBody(char* data, size_t size, size_t count, void* self);
    static int onSocket(CURL* easy, curl_socket_t fd, int what, void* self, void* socketData);
    static int onTimer(CURLM* multi, long ms, void* self);

    void configure();
    void useProxy();
    bool headerLine(QByteArrayView line);
    bool headEnded();
    bool bodyBytes(QByteArrayView bytes);
    bool refuse(const QString& reason);
    void watch(curl_socket_t fd, int what);
    void act(curl_socket_t fd, int events);
    void finish(CURLcode code);
    void release();

    const Setup m_setup;
    CURLM* m_multi = nullptr;
    CURL* m_easy = nullptr;
    curl_slist* m_headers = nullptr;
    char m_errorBuffer[CURL_ERROR_SIZE] = {};
    QHash<curl_socket_t, Watch> m_watches;
    QTimer m_curlTimer; // when libcurl wants to be called back

    Stage m_stage = Stage::Head;
    HttpHead m_head;
    qsizetype m_headBytes = 0;    // of every head so far
    qsizetype m_trailerBytes = 0; // after the last chunk
    QByteArray m_body;
    qint64 m_bytesSeen = 0;
    Outcome m_outcome;
};

} // namespace useropts
