#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QUrl>

#include <functional>

namespace useropts::testing {

// A web server on 127.0.0.1 for tests of the download. Once the head of a
// request is in, it sends answer and closes the connection; with trickle set
// it sends answer, then one more byte every 50 ms, and hangs up after 5 s;
// with no answer it never says a word.
class LocalHttpServer
{
  public:
    LocalHttpServer();

    bool listen() { return m_server.listen(QHostAddress::LocalHost, 0); }
    QUrl baseUrl() const
    {
        return QUrl("http://127.0.0.1:" + QString::number(m_server.serverPort()));
    }

    QByteArray answer;
    bool trickle = false;
    std::function<void()> onRequest; // runs once a head is in, before any answer
    int requests = 0;                // heads received so far

  private:
    QTcpServer m_server;
};

} // namespace useropts::testing
