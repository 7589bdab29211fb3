// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocalHttpServer.h"

#include <QSslServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace useropts::testing {

LocalHttpServer::LocalHttpServer() : m_server(std::make_unique<QTcpServer>()) {}

void LocalHttpServer::useTls(const QSslConfiguration& configuration)
{
    auto server = std::make_unique<QSslServer>();
    server->setSslConfiguration(configuration);
    m_server = std::move(server);
}

bool LocalHttpServer::listen(quint16 port)
{
    // Connections come whole, and for https once the handshake is done.
    QObject::connect(m_server.get(), &QTcpServer::pendingConnectionAvailable, m_server.get(),
                     [this] {
                         while (QTcpSocket* socket = m_server->nextPendingConnection())
                             serve(socket);
                     });
    return m_server->listen(QHostAddress::LocalHost, port);
}

void LocalHttpServer::serve(QTcpSocket* socket)
{
    QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    auto head = std::make_shared<QByteArray>();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
        const bool seen = head->contains("\r\n\r\n");
        head->append(socket->readAll());
        if (seen || !head->contains("\r\n\r\n"))
            return;
        ++requests;
        heads.append(*head);
        if (onRequest)
            onRequest();
        const QByteArray bytes = respond ? respond(*head) : answer;
        if (bytes.isEmpty())
            return;
        socket->write(bytes);
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

} // namespace useropts::testing
