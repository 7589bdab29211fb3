#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QUrl>

#include <chrono>

class QTcpSocket;

namespace useropts::testing {

// A web server on 127.0.0.1 for tests of the download. It answers every
// request the same way, chosen before the request is made, and keeps the
// head of each request it received.
class LocalHttpServer : public QObject
{
    Q_OBJECT
  public:
    explicit LocalHttpServer(QObject* parent = nullptr);

    bool listen();
    QUrl baseUrl() const; // http://127.0.0.1:port

    // A complete answer with a Content-Length, then the connection closes.
    void answer(int status, const QByteArray& reason, const QByteArray& body,
                const QByteArray& contentType = "text/plain");
    // These exact bytes, then the connection closes.
    void answerRaw(const QByteArray& bytes);
    // Accept, read the request and never say a word.
    void staySilent();
    // atOnce straight away, then slowly one byte at a time with a pause
    // before each.
    void trickle(const QByteArray& atOnce, const QByteArray& slowly,
                 std::chrono::milliseconds pause);
    // Close the connection as soon as the request is in, answering nothing.
    void hangUp();

    const QList<QByteArray>& requests() const { return m_requests; }

    // A port on 127.0.0.1 on which nothing listens: connections are refused.
    static quint16 unusedPort();

    static QByteArray response(int status, const QByteArray& reason, const QByteArray& body,
                               const QByteArray& contentType = "text/plain");

  signals:
    // The head of a request is in; emitted before any answer goes out.
    void requestReceived();

  private:
    enum class Behaviour
    {
        Answer,
        Silent,
        Trickle,
        HangUp
    };

    void accept();
    void requestArrived(QTcpSocket* socket);

    QTcpServer m_server;
    Behaviour m_behaviour = Behaviour::Silent;
    QByteArray m_answer;
    QByteArray m_slowly;
    std::chrono::milliseconds m_pause{0};
    QList<QByteArray> m_requests;
};

} // namespace useropts::testing
