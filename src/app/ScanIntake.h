#pragma once

#include "config/ScanSuffix.h"
#include "platform/SerialPort.h"
#include "station/ScanHistory.h"

#include <QList>
#include <QString>

#include <functional>

class StationState;
class ScanConsumers;

// The scanner intake: each tick drains the serial port into ScanBuffer; two ticks in a row
// without new characters end a scan, which is cut by its framing and handed to the consumers.
//
// The consumers may run for a long time (message boxes, pauses that let events run), so a tick
// can come while they are still busy. Such a tick only collects characters; they join the scan
// buffer, after whatever the processed scan left there, once the consumers are done. A typed
// label sent meanwhile waits in line the same way. Nothing is dispatched twice or lost.
//
// Where one scan ends is told by the arrival times of its characters: a silence of two ticks
// between arrivals ends it, however late the characters are read, so that scans which came while
// another was processed keep their boundaries. A scan longer than MaxScanLength is refused with
// its length, and the rest of its burst is discarded up to the next silence.
//
// With a suffix set (a scanner that ends each code with CR, LF, CR LF or Tab), the suffix ends
// a code the moment it is read and is removed before the framing rules; a burst is cut at each
// suffix, and the codes it held are dispatched one after the other without waiting for ticks.
// Characters after the last suffix wait for theirs, or for the silence that ends any scan.
class ScanIntake {
public:
    // Far above any label or program barcode, small enough that a stream of noise cannot fill
    // the memory or slow every scan after it.
    static constexpr qsizetype MaxScanLength = 64 * 1024;

    // history gets an entry for every scan and typed label.
    ScanIntake(SerialPort& port, StationState& state, ScanConsumers& consumers, ScanHistory& history);

    void SetConsumers(ScanConsumers& consumers) { consumers_ = &consumers; }

    void Timer1_Timer();
    // Reads the port now and dispatches every code its suffix ended; without a suffix it does
    // nothing, and the ticks alone read the port.
    void Drain();
    void SetSuffix(const ScanSuffix& suffix);
    const ScanSuffix& Suffix() const { return suffix_; }
    // The tick interval of Timer1: two of it without characters end a scan.
    void SetTickInterval(int milliseconds) { silenceMs_ = 2 * qint64(milliseconds); }

    // Sends a typed label to the dispatcher, without any framing rule: at once, or after the
    // scan being processed. done gets the dispatcher's answer. A button of the window that
    // stands for a label ("%START%") sends it the same way, as origin Button.
    void DispatchTyped(const QString& label, std::function<void(bool accepted)> done,
                       ScanHistory::Origin origin = ScanHistory::Origin::Typed);

    bool Processing() const { return processing_; }
    // Every character received and not yet dispatched, in arrival order.
    QString PendingScan() const;
    int PendingIdleTicks() const { return IdleTicks; }

private:
    struct TypedLabel {
        QString label;
        std::function<void(bool)> done;
        ScanHistory::Origin origin;
    };

    // A scan ended by a silence and not yet dispatched; overlong >= 0: one refused for its
    // length, of which text holds the start.
    struct Finished {
        QString text;
        qint64 endMs = 0;
        qint64 overlong = -1;
    };

    // Takes what the port received into the scans under way; true when anything came.
    bool receive();
    void take(const SerialPort::Arrival& arrival);
    // Cuts ScanBuffer at each suffix from position from on: the codes go to complete_.
    void cutAtSuffixes(qsizetype from);
    // With a suffix: every finished code dispatched, in order, while nothing is processed.
    void dispatchEnded();
    // The scan in ScanBuffer ended at a silence between arrivals: it waits in complete_.
    void endBurst();
    Finished takeBurst();
    // A scan cut off by the loss of the device is dropped and reported.
    void dropCutOffScan();
    // Dispatches one finished scan; what its "%" leaves goes before anything that came later.
    void dispatchScan(const Finished& scan);
    // Framing rules and consumer calls for one finished scan; returns what is left for the next one.
    QString processScan(QString scan);
    bool dispatch(const QString& label);
    // Runs a consumer call with the re-entrancy guard up; a failure it did not handle is reported.
    void guarded(const std::function<void()>& work);
    void drainTyped();

    SerialPort& port_;
    StationState& state_;
    ScanConsumers* consumers_;
    ScanHistory& history_;

    QString ScanBuffer;
    qint16 IdleTicks = 0;
    QString activity_ = QStringLiteral("X");

    qint64 silenceMs_ = 2000;
    qint64 lastArrivalMs_ = 0;           // when the last character of ScanBuffer came
    QList<Finished> complete_;           // in arrival order
    qint64 overlongLength_ = -1;         // the length of a scan being discarded, -1 when none
    QString overlongStart_;

    bool processing_ = false;
    bool receiving_ = false; // ScanBuffer holds characters from the port, not only a remainder
    ScanSuffix suffix_;
    QString suffixText_;     // its characters; empty: none
    bool drained_ = false;   // characters came in through Drain since the last tick
    QList<TypedLabel> typed_;
};
