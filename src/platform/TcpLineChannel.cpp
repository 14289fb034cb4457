#include "platform/TcpLineChannel.h"

#include "platform/LineReader.h"

#include <QPointer>
#include <QTcpSocket>

#include <utility>

namespace {
// Read from the socket at a time: enough to see that a line is longer than allowed.
constexpr qsizetype sliceBytes = LineReader::MaxLineLength + 1;

bool holdsLineEnd(const QByteArray& data)
{
    return data.contains('\r') || data.contains('\n');
}
} // namespace

TcpLineChannel::TcpLineChannel(QObject* parent) : LineChannel(parent)
{
    connectTimer_.setSingleShot(true);
    connect(&connectTimer_, &QTimer::timeout, this, &TcpLineChannel::connectTimer_timeout);
}

TcpLineChannel::~TcpLineChannel()
{
    Close();
}

void TcpLineChannel::Open(const QString& host, quint16 port)
{
    Close();
    socket_ = new QTcpSocket(this);
    // Commands are short and each waits for its answer: no batching delay.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    // What is not read yet waits in the kernel, not in our memory.
    socket_->setReadBufferSize(4 * sliceBytes);
    connect(socket_, &QTcpSocket::connected, this, &TcpLineChannel::socket_connected);
    connect(socket_, &QTcpSocket::readyRead, this, &TcpLineChannel::socket_readyRead);
    connect(socket_, &QTcpSocket::disconnected, this, &TcpLineChannel::socket_gone);
    connect(socket_, &QTcpSocket::errorOccurred, this, &TcpLineChannel::socket_gone);
    connectTimer_.start(ConnectTimeoutMs);
    socket_->connectToHost(host, port);
}

void TcpLineChannel::Close()
{
    connectTimer_.stop();
    pending_.clear();
    sliceQueued_ = false;
    if (!socket_)
        return;
    QTcpSocket* socket = socket_;
    socket_ = nullptr;
    socket->disconnect(this);
    socket->abort();
    socket->deleteLater();
}

void TcpLineChannel::write(const QByteArray& line)
{
    if (!socket_)
        return; // hung up by the caller, or Closed has told why
    if (socket_->state() == QAbstractSocket::ConnectedState && socket_->write(line + "\r\n") >= 0)
        return;
    // The caller learns why now, not from a reply timeout later; queued, as it may be sending more.
    QTimer::singleShot(0, this, [this, socket = QPointer<QTcpSocket>(socket_)] {
        if (socket && socket == socket_)
            socket_gone();
    });
}

void TcpLineChannel::socket_connected()
{
    connectTimer_.stop();
    Q_EMIT Opened();
}

void TcpLineChannel::socket_readyRead()
{
    // A slice already queued reads what came meanwhile.
    if (!sliceQueued_)
        readSlice();
}

void TcpLineChannel::readSlice()
{
    sliceQueued_ = false;
    QTcpSocket* const socket = socket_;
    if (!socket)
        return;
    QByteArray data = std::exchange(pending_, QByteArray());
    if (data.size() < sliceBytes)
        data += socket->read(sliceBytes - data.size());
    qsizetype start = 0;
    int lines = 0;
    for (qsizetype i = 0; i < data.size() && lines < MaxLinesPerSlice; ++i) {
        if (data[i] != '\r' && data[i] != '\n')
            continue;
        if (i > start) {
            ++lines;
            Q_EMIT LineReceived(data.mid(start, i - start));
            // A receiver may have hung up (or connected anew): the rest was for that connection.
            if (socket_ != socket)
                return;
        }
        start = i + 1;
    }
    pending_ = data.mid(start);
    // A peer that never ends its line must not fill the memory.
    if (!holdsLineEnd(pending_) && pending_.size() > LineReader::MaxLineLength)
        return drop(QStringLiteral("a line is longer than %1 characters").arg(LineReader::MaxLineLength));
    if (holdsLineEnd(pending_) || socket->bytesAvailable() > 0) {
        sliceQueued_ = true;
        QMetaObject::invokeMethod(this, &TcpLineChannel::readSlice, Qt::QueuedConnection);
    }
}

void TcpLineChannel::socket_gone()
{
    if (!socket_)
        return;
    const QString reason = socket_->error() == QAbstractSocket::RemoteHostClosedError || socket_->error() == QAbstractSocket::UnknownSocketError
                               ? QStringLiteral("the connection was closed by the other end")
                               : socket_->errorString();
    drop(reason);
}

void TcpLineChannel::connectTimer_timeout()
{
    drop(QStringLiteral("no answer within %1 s").arg(ConnectTimeoutMs / 1000));
}

void TcpLineChannel::drop(const QString& reason)
{
    Close();
    Q_EMIT Closed(reason);
}
