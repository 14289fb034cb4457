#include "app/ScanIntake.h"

#include "platform/Log.h"
#include "scan/ScanConsumers.h"
#include "station/ScanHistory.h"
#include "station/StationState.h"

#include <exception>
#include <utility>

namespace {
constexpr char16_t payloadMark = 241;

// A CR, LF or both with nothing else: what a scanner's suffix leaves when scans are framed by
// silence alone.
bool onlyLineEnds(const QString& scan)
{
    if (scan.isEmpty())
        return false;
    for (const QChar c : scan) {
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            return false;
    }
    return true;
}
} // namespace

ScanIntake::ScanIntake(SerialPort& port, StationState& state, ScanConsumers& consumers, ScanHistory& history)
    : port_(port), state_(state), consumers_(&consumers), history_(history)
{
}

void ScanIntake::Timer1_Timer()
{
    if (!port_.PortOpen()) {
        dropCutOffScan();
        return;
    }
    bool arrived = receive();
    // What Drain took in since the last tick counts as this tick's, so the silence that ends a
    // scan is as long as without it.
    if (std::exchange(drained_, false))
        arrived = true;
    if (processing_)
        return; // only collects; the scan under way finishes first
    if (arrived)
        IdleTicks = 0;
    if (!complete_.isEmpty()) {
        if (suffix_.IsSet())
            dispatchEnded();
        else
            dispatchScan(complete_.takeFirst());
        return;
    }
    if (!arrived && (!ScanBuffer.isEmpty() || overlongLength_ >= 0))
        ++IdleTicks;
    if (IdleTicks != 2)
        return;

    IdleTicks = 0;
    state_.SetActivity(false, activity_);
    dispatchScan(takeBurst());
    if (suffix_.IsSet())
        dispatchEnded(); // what its "%" left
}

void ScanIntake::SetSuffix(const ScanSuffix& suffix)
{
    suffix_ = suffix;
    suffixText_ = suffix.Characters();
    if (suffix_.IsSet() && overlongLength_ < 0)
        cutAtSuffixes(0);
}

void ScanIntake::Drain()
{
    if (!suffix_.IsSet() || !port_.PortOpen())
        return;
    if (receive()) {
        drained_ = true;
        IdleTicks = 0;
    }
    dispatchEnded();
}

void ScanIntake::dispatchEnded()
{
    while (!complete_.isEmpty() && !processing_) {
        if (ScanBuffer.isEmpty() && overlongLength_ < 0)
            state_.SetActivity(false, activity_);
        dispatchScan(complete_.takeFirst());
    }
}

QString ScanIntake::PendingScan() const
{
    QString pending;
    for (const Finished& scan : complete_)
        pending += scan.text;
    return pending + ScanBuffer;
}

bool ScanIntake::receive()
{
    if (port_.InBufferCount() == 0)
        return false;
    const QList<SerialPort::Arrival> arrivals = port_.InputArrivals();
    bool any = false;
    for (const SerialPort::Arrival& arrival : arrivals) {
        if (arrival.text.isEmpty())
            continue;
        if (!any)
            activity_ = arrival.text.left(1);
        any = true;
        take(arrival);
    }
    if (!any)
        return false;
    state_.SetActivity(true, activity_);
    if (processing_)
        IdleTicks = 0;
    return true;
}

void ScanIntake::take(const SerialPort::Arrival& arrival)
{
    const bool open = !ScanBuffer.isEmpty() || overlongLength_ >= 0;
    if (open && arrival.atMs - lastArrivalMs_ >= silenceMs_)
        complete_.append(takeBurst());
    lastArrivalMs_ = arrival.atMs;
    receiving_ = true;
    if (overlongLength_ >= 0) {
        overlongLength_ += arrival.text.size();
        return;
    }
    if (suffix_.IsSet()) {
        // A suffix split over two reads is found too.
        const qsizetype from = qMax<qsizetype>(0, ScanBuffer.size() - suffixText_.size() + 1);
        ScanBuffer += arrival.text;
        cutAtSuffixes(from);
        if (ScanBuffer.size() > MaxScanLength) {
            overlongLength_ = ScanBuffer.size();
            overlongStart_ = ScanBuffer.left(Log::ExcerptLength);
            ScanBuffer = QString();
        }
        return;
    }
    if (ScanBuffer.size() + arrival.text.size() > MaxScanLength) {
        overlongLength_ = ScanBuffer.size() + arrival.text.size();
        overlongStart_ = (ScanBuffer.left(Log::ExcerptLength) + arrival.text.left(Log::ExcerptLength)).left(Log::ExcerptLength);
        ScanBuffer = QString(); // gives the memory back
        return;
    }
    ScanBuffer += arrival.text;
}

void ScanIntake::cutAtSuffixes(qsizetype from)
{
    qsizetype start = 0;
    for (qsizetype at = ScanBuffer.indexOf(suffixText_, from); at >= 0; at = ScanBuffer.indexOf(suffixText_, start)) {
        const qsizetype length = at - start;
        // A program barcode or a compressed payload carries line ends and tabs as data: it
        // ends at the silence after it, and only its last suffix is the scanner's.
        if (length > 0 && (ScanBuffer[start].unicode() == payloadMark || QStringView(ScanBuffer).mid(start, length).contains(QLatin1Char('^'))))
            break;
        if (length == 0)
            Log::Info(QStringLiteral("a suffix with no code before it ignored"));
        else if (length > MaxScanLength)
            complete_.append({ScanBuffer.mid(start, Log::ExcerptLength), lastArrivalMs_, length});
        else
            complete_.append({ScanBuffer.mid(start, length), lastArrivalMs_});
        start = at + suffixText_.size();
    }
    if (start == 0)
        return;
    ScanBuffer.remove(0, start);
    if (ScanBuffer.isEmpty()) {
        receiving_ = false;
        IdleTicks = 0;
    }
}

ScanIntake::Finished ScanIntake::takeBurst()
{
    receiving_ = false;
    IdleTicks = 0;
    if (overlongLength_ >= 0)
        return {std::exchange(overlongStart_, {}), lastArrivalMs_, std::exchange(overlongLength_, -1)};
    return {std::exchange(ScanBuffer, {}), lastArrivalMs_};
}

void ScanIntake::dropCutOffScan()
{
    if (!receiving_ || !port_.Lost())
        return;
    // The device went away before the scan's silence: what came is only the start of a scan.
    // Dispatched, it could name the wrong program; kept, it would prefix the next scan.
    const Finished partial = takeBurst();
    const qint64 length = partial.overlong >= 0 ? partial.overlong : partial.text.size();
    Log::Warning(QStringLiteral("scanner disconnected in the middle of a scan: %1 characters dropped: %2")
                     .arg(length)
                     .arg(Log::Excerpt(partial.text)));
    history_.Begin(partial.text);
    history_.Refuse(QStringLiteral("dropped: the scanner was disconnected during the scan"));
    state_.SetActivity(false, activity_);
    state_.SetStatus(QStringLiteral("Scanner disconnected during a scan: the scan was dropped. Scan it again."));
}

void ScanIntake::dispatchScan(const Finished& scan)
{
    if (scan.overlong >= 0) {
        history_.Begin(scan.text);
        history_.Refuse(QStringLiteral("refused: the scan is %1 characters long; at most %2 are read")
                            .arg(scan.overlong)
                            .arg(MaxScanLength));
        state_.SetStatus(QStringLiteral("Scan refused: it is %1 characters long. Scan the label again.").arg(scan.overlong));
        return;
    }
    QString remainder;
    guarded([&] { remainder = processScan(scan.text); });
    // Whoever waits for a scan's outcome (an operator reading the log, the end-to-end tests)
    // looks for this record.
    Log::Info(QStringLiteral("scan handled"));
    if (!remainder.isEmpty()) {
        // It came with the scan, so before anything that arrived while the scan was processed.
        // A scan its suffix ended is whole: what its "%" left is a code of its own, ready now.
        if (!suffix_.IsSet() && ScanBuffer.isEmpty() && overlongLength_ < 0 && complete_.isEmpty()) {
            ScanBuffer = remainder;
            lastArrivalMs_ = scan.endMs;
        } else {
            complete_.prepend({remainder, scan.endMs});
        }
    }
    drainTyped();
}

QString ScanIntake::processScan(QString scan)
{
    if (suffix_.IsSet() && scan.endsWith(suffixText_))
        scan.chop(suffixText_.size()); // a program's, ended by the silence
    Log::Info(QStringLiteral("scan received: %1").arg(Log::Excerpt(scan)));
    history_.Begin(scan);

    if (!suffix_.IsSet() && onlyLineEnds(scan)) {
        const QString setting = QStringLiteral("set \"The scanner ends each code with\" in Options > Settings");
        history_.Refuse(QStringLiteral("refused: only a line end arrived; %1").arg(setting));
        state_.SetStatus(QStringLiteral("Label refused: only a line end arrived. The scanner sends a suffix: %1.").arg(setting));
        Log::Warning(QStringLiteral("scan of a line end alone refused: the scanner sends a suffix that ScanSuffix does not name"));
        return QString();
    }

    if (scan.startsWith(QLatin1Char('\''))) {
        const qsizetype dollar = scan.indexOf(QLatin1Char('$'));
        if (dollar >= 0) {
            scan = scan.mid(1, dollar - 1);
            if (scan.isEmpty()) {
                history_.Refuse(QStringLiteral("dropped: nothing between the apostrophe and the \"$\""));
                return QString();
            }
            Log::Info(QStringLiteral("apostrophe-framed scan: %1").arg(Log::Excerpt(scan)));
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
    state_.SetStatus(QStringLiteral("Reading Barcode-Label.") + scan);
    // Codes ended by their suffix need no silence: what comes now is the next code, kept.
    if (!suffix_.IsSet()) {
        if (const int waiting = port_.InBufferCount(); waiting != 0)
            Log::Warning(QStringLiteral("%1 characters received during the scan's silence discarded").arg(waiting));
        port_.ClearInput();
    }

    const qsizetype percent = scan.indexOf(QLatin1Char('%'), 1);
    const QString label = percent >= 0 ? scan.left(percent + 1) : scan;
    const QString remainder = percent >= 0 ? scan.mid(percent + 1) : QString();
    dispatch(label);
    if (!remainder.isEmpty())
        Log::Info(QStringLiteral("remainder kept as the next scan: %1").arg(Log::Excerpt(remainder)));
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
        state_.SetStatus(QStringLiteral("Scan processing failed: %1").arg(what));
        history_.Refuse(QStringLiteral("scan processing failed: %1").arg(what));
    }
    processing_ = false;
}

void ScanIntake::DispatchTyped(const QString& label, std::function<void(bool)> done, ScanHistory::Origin origin)
{
    typed_.append({label, std::move(done), origin});
    if (processing_) {
        Log::Info(QStringLiteral("typed label %1 waits for the scan being processed").arg(Log::Printable(label)));
        return;
    }
    drainTyped();
    if (suffix_.IsSet())
        dispatchEnded(); // codes that came while the typed labels were processed
}

void ScanIntake::drainTyped()
{
    while (!typed_.isEmpty() && !processing_) {
        const TypedLabel next = typed_.takeFirst();
        Log::Info(QStringLiteral("typed label: %1").arg(Log::Printable(next.label)));
        history_.Begin(next.label, next.origin);
        bool accepted = false;
        guarded([&] { accepted = dispatch(next.label); });
        if (next.done)
            next.done(accepted);
    }
}
