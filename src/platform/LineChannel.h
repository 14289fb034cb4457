#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// A text line connection to a server on the network: lines out, lines in, and word when it
// goes. Any run of carriage returns and line feeds ends a line coming in; empty lines are
// dropped. The real one is TcpLineChannel; tests give a scripted one.
class LineChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts connecting; Opened or Closed follows.
    virtual void Open(const QString& host, quint16 port) = 0;
    // Hangs up at once, without Closed: the caller knows.
    virtual void Close() = 0;
    // Sends the line with "\r\n" after it.
    virtual void Send(const QByteArray& line) = 0;

Q_SIGNALS:
    void Opened();
    void LineReceived(const QByteArray& line);
    // The connection could not be made, or the other end went: why, for the operator.
    void Closed(const QString& reason);
};
