#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpSocket>

#include <QCoroAbstractSocket>
#include <QCoroSignal>
#include <QCoroTask>

#include <chrono>

namespace orvane::testsupport {

struct RawHttpExchange {
    bool connected = false;
    QAbstractSocket::SocketError connectionError = QAbstractSocket::UnknownSocketError;
    // Everything the peer sent before it closed the connection or the limit passed.
    QByteArray response;
    bool closedByPeer = false;
};

// Sends bytes exactly as given from a plain socket, as a browser would, and
// collects the answer until the peer closes the connection, giving up after
// limit.
inline QCoro::Task<RawHttpExchange> exchangeRawHttp(QHostAddress address, quint16 port, QByteArray request,
                                                    std::chrono::milliseconds limit = std::chrono::seconds(5))
{
    RawHttpExchange exchange;
    QTcpSocket socket;
    socket.connectToHost(address, port);
    // Until connected or refused: a refusal must not wait out the limit.
    while (socket.state() != QAbstractSocket::ConnectedState && socket.state() != QAbstractSocket::UnconnectedState) {
        if (!co_await qCoro(&socket, &QAbstractSocket::stateChanged, limit))
            break;
    }
    exchange.connected = socket.state() == QAbstractSocket::ConnectedState;
    if (!exchange.connected) {
        exchange.connectionError = socket.error();
        co_return exchange;
    }
    socket.write(request);
    if (socket.state() != QAbstractSocket::UnconnectedState)
        exchange.closedByPeer = co_await qCoro(socket).waitForDisconnected(limit);
    else
        exchange.closedByPeer = true;
    exchange.response = socket.readAll();
    co_return exchange;
}

} // namespace orvane::testsupport
