#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QTimer>

class QSocketNotifier;

// A scanner on the master side of a pseudo-terminal: Tarvex opens the slave side as its port.
// Scans are sent one after another with a silence between them, replies are printed.
class VirtualScanner : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString link;        // symbolic link to the device, made when not empty
        int pace = 0;        // characters a second; 0: each scan at once
        int gapMs = 3500;    // silence after each scan
        int waitMs = 0;      // silence before the first scan
        int lingerMs = 2000; // replies still read after the last scan
    };

    explicit VirtualScanner(Options options, QObject* parent = nullptr);
    ~VirtualScanner() override;

    // Opens the pseudo-terminal; false (and a message on standard error) when it cannot.
    bool Open();
    QString Device() const { return device_; }

    // Queues one scan line (escapes not yet decoded).
    void AddLine(QByteArray line);
    // Queues one scan, sent byte for byte.
    void AddScan(const QByteArray& scan);
    // No more lines will come: quit once everything is sent and the linger time has passed.
    void EndOfInput();

private:
    void sendNext();
    void sendCharacter();
    void scanDone();
    void readReplies();
    void maybeFinish();

    Options options_;
    int master_ = -1;
    int slave_ = -1;
    QString device_;
    QSocketNotifier* replies_ = nullptr;

    QList<QByteArray> queue_;
    QByteArray current_;
    qsizetype sent_ = 0;
    bool busy_ = false;
    bool ended_ = false;
    QTimer pacer_;
    QTimer gap_;
    QTimer linger_;
    QByteArray replyLine_;
};
