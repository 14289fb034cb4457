#pragma once

#include "platform/LineChannel.h"

#include <QTimer>

class QTcpSocket;

// LineChannel over TCP (QTcpSocket), asynchronous: nothing here ever waits. A line that cannot
// be sent, or one coming in longer than LineReader::MaxLineLength, ends the connection (Closed).
class TcpLineChannel : public LineChannel {
    Q_OBJECT
public:
    // A connection not made within this gives up (a host that drops packets would otherwise
    // keep the attempt going for minutes).
    static constexpr int ConnectTimeoutMs = 5000;

    explicit TcpLineChannel(QObject* parent = nullptr);
    ~TcpLineChannel() override;

    void Open(const QString& host, quint16 port) override;
    void Close() override;
    void Send(const QByteArray& line) override;

private:
    void socket_connected();
    void socket_readyRead();
    void socket_gone();
    void connectTimer_timeout();
    void drop(const QString& reason);

    QTcpSocket* socket_ = nullptr;
    QTimer connectTimer_;
    QByteArray pending_;
};
