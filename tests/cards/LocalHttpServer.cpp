#include "LocalHttpServer.h"

#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace useropts::testing {

LocalHttpServer::LocalHttpServer()
{
    QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            auto head = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                const bool seen = head->contains("\r\n\r\n");
                head->append(socket->readAll());
                if (seen || !head->contains("\r\n\r\n"))
                    return;
                ++requests;
                if (onRequest)
                    onRequest();
                if (answer.isEmpty())
                    return;
                socket->write(answer);
                if (!trickle) {
                    socket->disconnectFromHost();
                    return;
                }
                auto* timer = new QTimer(socket);
                QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write("x"); });
                timer->start(50);
                QTimer::singleShot(5000, socket, [socket] { socket->disconnectFromHost(); });
            });
        }
    });
}

} // namespace useropts::testing
