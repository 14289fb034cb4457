#pragma once

#include "platform/LineChannel.h"

#include <QTimer>

class QTcpSocket;

// LineChannel over TCP (QTcpSocket), asynchronous: nothing here ever waits. A line that cannot
// be sent, or one coming in longer than LineReader::MaxLineLength, ends the connection (Closed).
// What comes in is read in slices of at most MaxLinesPerSlice lines, with the event loop's turn
// between two slices: a peer that floods the connection slows the link, never the window.
class TcpLineChannel : public LineChannel {
    Q_OBJECT
public:
    // A connection not made within this gives up (a host that drops packets would otherwise
    // keep the attempt going for minutes).
    static constexpr int ConnectTimeoutMs = 5000;
    static constexpr int MaxLinesPerSlice = 100;

    explicit TcpLineChannel(QObject* parent = nullptr);
    ~TcpLineChannel() override;

    void Open(const QString& host, quint16 port) override;
    void Close() override;

protected:
    void write(const QByteArray& line) override;

private:
    void socket_connected();
    void socket_readyRead();
    void readSlice();
    void socket_gone();
    void connectTimer_timeout();
    void drop(const QString& reason);

    QTcpSocket* socket_ = nullptr;
    QTimer connectTimer_;
    QByteArray pending_;
    bool sliceQueued_ = false;
};
