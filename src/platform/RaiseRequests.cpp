#include "platform/RaiseRequests.h"

#include "platform/Log.h"

#include <QLocalSocket>

#include <unistd.h>

namespace {
constexpr int WaitMs = 1000;

QString serverName()
{
    return QStringLiteral("tarvex-%1").arg(getuid());
}
} // namespace

RaiseRequests::RaiseRequests(QObject* parent) : QObject(parent)
{
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &RaiseRequests::accept);
}

bool RaiseRequests::Listen()
{
    QLocalServer::removeServer(serverName());
    if (server_.listen(serverName()))
        return true;
    Log::Warning(QStringLiteral("a second start cannot bring this window to the front: %1").arg(server_.errorString()));
    return false;
}

bool RaiseRequests::AskRunningInstance()
{
    QLocalSocket socket;
    socket.connectToServer(serverName());
    if (!socket.waitForConnected(WaitMs))
        return false;
    socket.write("raise\n");
    const bool sent = socket.waitForBytesWritten(WaitMs);
    socket.disconnectFromServer();
    return sent;
}

void RaiseRequests::accept()
{
    while (QLocalSocket* socket = server_.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        Q_EMIT Requested();
    }
}
