#include "LocalHttpServer.h"

#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace useropts::testing {

LocalHttpServer::LocalHttpServer(QObject* parent) : QObject(parent)
{
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
}

bool LocalHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QUrl LocalHttpServer::baseUrl() const
{
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(QStringLiteral("127.0.0.1"));
    url.setPort(m_server.serverPort());
    return url;
}

QByteArray LocalHttpServer::response(int status, const QByteArray& reason, const QByteArray& body,
                                     const QByteArray& contentType)
{
    return "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason +
           "\r\nContent-Type: " + contentType +
           "\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

void LocalHttpServer::answer(int status, const QByteArray& reason, const QByteArray& body,
                             const QByteArray& contentType)
{
    answerRaw(response(status, reason, body, contentType));
}

void LocalHttpServer::answerRaw(const QByteArray& bytes)
{
    m_behaviour = Behaviour::Answer;
    m_answer = bytes;
}

void LocalHttpServer::staySilent()
{
    m_behaviour = Behaviour::Silent;
}

void LocalHttpServer::trickle(const QByteArray& atOnce, const QByteArray& slowly,
                              std::chrono::milliseconds pause)
{
    m_behaviour = Behaviour::Trickle;
    m_answer = atOnce;
    m_slowly = slowly;
    m_pause = pause;
}

void LocalHttpServer::hangUp()
{
    m_behaviour = Behaviour::HangUp;
}

quint16 LocalHttpServer::unusedPort()
{
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        return 0;
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void LocalHttpServer::accept()
{
    while (QTcpSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            if (socket->property("answered").toBool()) {
                socket->readAll();
                return;
            }
            const QByteArray head = socket->property("head").toByteArray() + socket->readAll();
            socket->setProperty("head", head);
            if (!head.contains("\r\n\r\n"))
                return;
            socket->setProperty("answered", true);
            m_requests.append(head);
            emit requestReceived();
            requestArrived(socket);
        });
    }
}

void LocalHttpServer::requestArrived(QTcpSocket* socket)
{
    switch (m_behaviour) {
    case Behaviour::Answer:
        socket->write(m_answer);
        socket->disconnectFromHost();
        break;
    case Behaviour::Silent:
        break;
    case Behaviour::HangUp:
        socket->abort();
        break;
    case Behaviour::Trickle: {
        socket->write(m_answer);
        auto* timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        connect(timer, &QTimer::timeout, socket, [this, socket, timer, sent] {
            if (*sent >= m_slowly.size()) {
                timer->stop();
                socket->disconnectFromHost();
                return;
            }
            socket->write(m_slowly.mid((*sent)++, 1));
        });
        timer->start(m_pause);
        break;
    }
    }
}

} // namespace useropts::testing
