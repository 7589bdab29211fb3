// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QSslConfiguration>
#include <QTcpServer>
#include <QUrl>

#include <functional>
#include <memory>

namespace useropts::testing {

// A web server on 127.0.0.1 for tests of the download. Once the head of a
// request is in, it sends answer (or what respond makes of the head) and
// closes the connection; with trickle set it sends answer, then one more byte
// every 50 ms, and hangs up after 5 s; with no answer it never says a word.
// Given a TLS configuration before listen(), it speaks https.
class LocalHttpServer
{
  public:
    LocalHttpServer();

    void useTls(const QSslConfiguration& configuration);
    bool listen(quint16 port = 0);
    void close() { m_server->close(); }
    QUrl baseUrl() const
    {
        return QUrl("http://127.0.0.1:" + QString::number(m_server->serverPort()));
    }
    quint16 port() const { return m_server->serverPort(); }

    QByteArray answer;
    std::function<QByteArray(const QByteArray& head)> respond; // instead of answer
    bool trickle = false;
    std::function<void()> onRequest; // runs once a head is in, before any answer
    int requests = 0;                // heads received so far
    QList<QByteArray> heads;

  private:
    void serve(QTcpSocket* socket);

    std::unique_ptr<QTcpServer> m_server;
};

} // namespace useropts::testing
