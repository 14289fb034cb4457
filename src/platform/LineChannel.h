#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>

// A text line connection to a server on the network: lines out, lines in, and word when it
// goes. Any run of carriage returns and line feeds ends a line coming in; empty lines are
// dropped. The real one is TcpLineChannel; tests give a scripted one.
//
// Every line going out passes here, and only a line free of control characters goes: the other
// end takes a lone carriage return (or a line feed) as the end of a command, so one such
// character in a text read from a file would make it two commands, the second one not ours.
class LineChannel : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts connecting; Opened or Closed follows.
    virtual void Open(const QString& host, quint16 port) = 0;
    // Hangs up at once, without Closed: the caller knows.
    virtual void Close() = 0;

    // Sends each line with "\r\n" after it, all of them or none: when one holds a control
    // character (below 0x20, or 0x7F) nothing is sent and its index comes back; -1 when all went.
    qsizetype Send(const QList<QByteArray>& lines);
    // The first control character in the line, as "\x0D"; empty when the line may go.
    static QString ControlCharacter(const QByteArray& line);

Q_SIGNALS:
    void Opened();
    void LineReceived(const QByteArray& line);
    // The connection could not be made, or the other end went: why, for the operator.
    void Closed(const QString& reason);

protected:
    // Writes one checked line and its "\r\n".
    virtual void write(const QByteArray& line) = 0;
};
