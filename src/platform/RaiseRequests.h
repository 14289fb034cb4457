#pragma once

#include <QLocalServer>
#include <QObject>

// How a second start of Tarvex reaches the one already running: the running one listens on a
// local socket of the user's, and a second start connects to it to ask for its window.
class RaiseRequests : public QObject {
    Q_OBJECT
public:
    explicit RaiseRequests(QObject* parent = nullptr);

    // The running instance listens; a socket left by a run that crashed is taken over.
    bool Listen();
    // A second start asks the running instance. True when the request was delivered.
    static bool AskRunningInstance();

Q_SIGNALS:
    void Requested();

private:
    void accept();

    QLocalServer server_;
};
