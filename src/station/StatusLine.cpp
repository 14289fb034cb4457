#include "station/StatusLine.h"

#include "platform/Log.h"
#include "platform/Pauser.h"
#include "station/ScanHistory.h"
#include "station/StationState.h"

StatusLine::StatusLine(StationState& state, Pauser& pauser, ScanHistory& history)
    : state_(state), pauser_(pauser), history_(history)
{
}

void StatusLine::ReportTrouble(const QString& status, const QString& logDetail)
{
    state_.SetStatus(status);
    history_.Refuse(status);
    Log::Error(logDetail);
    troubleShown_ = true;
}

void StatusLine::KeepScanTroubleShown()
{
    troubleShown_ = true;
    history_.Refuse(state_.Status());
}

void StatusLine::Outcome(const QString& text)
{
    history_.Record(text);
}

void StatusLine::Refusal(const QString& reason)
{
    history_.Refuse(reason);
}

void StatusLine::Doubt(const QString& reason)
{
    history_.Warn(reason);
}

void StatusLine::Pause(float seconds)
{
    pauser_.Pause(seconds);
}

void StatusLine::HideIndicators()
{
    for (int i = 0; i <= 4; ++i)
        state_.SetIndicator(i, false);
}

void StatusLine::ShowReady()
{
    Pause(0.6f);
    if (!troubleShown_)
        state_.SetStatus(QStringLiteral("Ready."));
}
