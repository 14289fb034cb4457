#pragma once

#include <QList>
#include <QString>

#include <functional>

class MainView;
class ScanConsumers;
class ScanHistory;
class SerialPort;

// The scanner intake: each tick drains the serial port into ScanBuffer; two ticks in a row
// without new characters end a scan, which is cut by its framing and handed to the consumers.
//
// The consumers may run for a long time (message boxes, pauses that let events run), so a tick
// can come while they are still busy. Such a tick only collects characters; they join the scan
// buffer, after whatever the processed scan left there, once the consumers are done. A typed
// label sent meanwhile waits in line the same way. Nothing is dispatched twice or lost.
class ScanIntake {
public:
    // history gets an entry for every scan and typed label.
    ScanIntake(SerialPort& port, MainView& view, ScanConsumers& consumers, ScanHistory& history);

    void SetConsumers(ScanConsumers& consumers) { consumers_ = &consumers; }

    void Timer1_Timer();

    // Sends a typed label to the dispatcher, without any framing rule: at once, or after the
    // scan being processed. done gets the dispatcher's answer.
    void DispatchTyped(const QString& label, std::function<void(bool accepted)> done);

    bool Processing() const { return processing_; }
    const QString& PendingScan() const { return ScanBuffer; }
    int PendingIdleTicks() const { return IdleTicks; }

private:
    struct TypedLabel {
        QString label;
        std::function<void(bool)> done;
    };

    void collectWhileProcessing();
    // A scan cut off by the loss of the device is dropped and reported.
    void dropCutOffScan();
    // Framing rules and consumer calls for one finished scan; returns what is left for the next one.
    QString processScan(QString scan);
    bool dispatch(const QString& label);
    // Runs a consumer call with the re-entrancy guard up; a failure it did not handle is reported.
    void guarded(const std::function<void()>& work);
    void takeArrivals();
    void drainTyped();

    SerialPort& port_;
    MainView& view_;
    ScanConsumers* consumers_;
    ScanHistory& history_;

    QString ScanBuffer;
    qint16 IdleTicks = 0;
    QString activity_ = QStringLiteral("X");

    bool processing_ = false;
    bool receiving_ = false; // characters came since the last scan was cut
    QString arrived_; // received while the consumers were busy
    QList<TypedLabel> typed_;
};
