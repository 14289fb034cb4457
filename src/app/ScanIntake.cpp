#include "app/ScanIntake.h"

#include "config/MainView.h"
#include "config/ScanHistory.h"
#include "platform/Log.h"
#include "platform/SerialPort.h"
#include "scan/ScanConsumers.h"

#include <exception>

namespace {
constexpr char16_t payloadMark = 241;
} // namespace

ScanIntake::ScanIntake(SerialPort& port, MainView& view, ScanConsumers& consumers, ScanHistory& history)
    : port_(port), view_(view), consumers_(&consumers), history_(history)
{
}

void ScanIntake::Timer1_Timer()
{
    if (!port_.PortOpen()) {
        dropCutOffScan();
        return;
    }
    if (processing_) {
        collectWhileProcessing();
        return;
    }

    if (port_.InBufferCount() != 0) {
        const QString received = port_.Input();
        ScanBuffer += received;
        activity_ = received.left(1);
        view_.SetActivity(true, activity_);
        IdleTicks = 0;
        receiving_ = true;
    } else if (!ScanBuffer.isEmpty()) {
        ++IdleTicks;
    }
    if (IdleTicks != 2)
        return;

    IdleTicks = 0;
    receiving_ = false;
    view_.SetActivity(false, activity_);
    const QString scan = ScanBuffer;
    ScanBuffer.clear();
    QString remainder;
    guarded([&] { remainder = processScan(scan); });
    // Whoever waits for a scan's outcome (an operator reading the log, the end-to-end tests)
    // looks for this record.
    Log::Info(QStringLiteral("scan handled"));
    ScanBuffer = remainder;
    takeArrivals();
    drainTyped();
}

void ScanIntake::collectWhileProcessing()
{
    if (port_.InBufferCount() == 0)
        return;
    const QString received = port_.Input();
    arrived_ += received;
    activity_ = received.left(1);
    view_.SetActivity(true, activity_);
    receiving_ = true;
}

void ScanIntake::dropCutOffScan()
{
    if (!receiving_ || !port_.Lost())
        return;
    // The device went away before the scan's silence: what came is only the start of a scan.
    // Dispatched, it could name the wrong program; kept, it would prefix the next scan.
    receiving_ = false;
    QString& partial = processing_ ? arrived_ : ScanBuffer;
    Log::Warning(QStringLiteral("scanner disconnected in the middle of a scan: %1 characters dropped: %2")
                     .arg(partial.size())
                     .arg(Log::Printable(partial)));
    history_.Begin(partial);
    history_.Refuse(QStringLiteral("dropped: the scanner was disconnected during the scan"));
    partial.clear();
    IdleTicks = 0;
    view_.SetActivity(false, activity_);
    view_.SetStatus(QStringLiteral("Scanner disconnected during a scan: the scan was dropped. Scan it again."));
}

QString ScanIntake::processScan(QString scan)
{
    Log::Info(QStringLiteral("scan received: %1").arg(Log::Printable(scan)));
    history_.Begin(scan);

    if (scan.startsWith(QLatin1Char('\''))) {
        const qsizetype dollar = scan.indexOf(QLatin1Char('$'));
        if (dollar >= 0) {
            scan = scan.mid(1, dollar - 1);
            if (scan.isEmpty()) {
                history_.Refuse(QStringLiteral("dropped: nothing between the apostrophe and the \"$\""));
                return QString();
            }
            Log::Info(QStringLiteral("apostrophe-framed scan: %1").arg(Log::Printable(scan)));
            dispatch(QStringLiteral("%N%"));
        }
    }

    if (!scan.isEmpty() && scan[0].unicode() == payloadMark) {
        Log::Info(QStringLiteral("compressed payload of %1 characters").arg(scan.size()));
        scan = consumers_->ExpandPayload(scan);
        if (scan.isEmpty()) {
            IdleTicks = 0;
            history_.Refuse(QStringLiteral("compressed payload dropped: %1").arg(consumers_->PayloadDropReason()));
            Log::Info(QStringLiteral("scan dropped: the payload expanded to nothing"));
            return QString();
        }
        Log::Info(QStringLiteral("payload expanded to %1 characters").arg(scan.size()));
    }

    if (scan.contains(QLatin1Char('^'))) {
        Log::Info(QStringLiteral("program barcode of %1 characters goes to the program handler").arg(scan.size()));
        consumers_->HandleProgramScan(scan);
        IdleTicks = 0;
        return QString();
    }

    scan.replace(QLatin1Char('!'), QLatin1Char(' '));
    view_.SetStatus(QStringLiteral("Reading Barcode-Label.") + scan);
    if (const int waiting = port_.InBufferCount(); waiting != 0)
        Log::Warning(QStringLiteral("%1 characters received during the scan's silence discarded").arg(waiting));
    port_.ClearInput();

    const qsizetype percent = scan.indexOf(QLatin1Char('%'), 1);
    const QString label = percent >= 0 ? scan.left(percent + 1) : scan;
    const QString remainder = percent >= 0 ? scan.mid(percent + 1) : QString();
    dispatch(label);
    if (!remainder.isEmpty())
        Log::Info(QStringLiteral("remainder kept as the next scan: %1").arg(Log::Printable(remainder)));
    return remainder;
}

bool ScanIntake::dispatch(const QString& label)
{
    return consumers_->DispatchLabel(label);
}

void ScanIntake::guarded(const std::function<void()>& work)
{
    processing_ = true;
    try {
        work();
    } catch (const std::exception& e) {
        // The consumers report their own errors; one that escapes must not stop the intake.
        const QString what = QString::fromLocal8Bit(e.what());
        Log::Error(QStringLiteral("scan processing failed: %1").arg(what));
        view_.SetStatus(QStringLiteral("Scan processing failed: %1").arg(what));
        history_.Refuse(QStringLiteral("scan processing failed: %1").arg(what));
    }
    processing_ = false;
}

void ScanIntake::takeArrivals()
{
    if (arrived_.isEmpty())
        return;
    Log::Info(QStringLiteral("%1 characters arrived during processing; kept for the next scan").arg(arrived_.size()));
    ScanBuffer += arrived_;
    arrived_.clear();
    IdleTicks = 0;
}

void ScanIntake::DispatchTyped(const QString& label, std::function<void(bool)> done)
{
    typed_.append({label, std::move(done)});
    if (processing_) {
        Log::Info(QStringLiteral("typed label %1 waits for the scan being processed").arg(Log::Printable(label)));
        return;
    }
    drainTyped();
}

void ScanIntake::drainTyped()
{
    while (!typed_.isEmpty() && !processing_) {
        const TypedLabel next = typed_.takeFirst();
        Log::Info(QStringLiteral("typed label: %1").arg(Log::Printable(next.label)));
        history_.Begin(next.label, true);
        bool accepted = false;
        guarded([&] { accepted = dispatch(next.label); });
        takeArrivals();
        if (next.done)
            next.done(accepted);
    }
}
