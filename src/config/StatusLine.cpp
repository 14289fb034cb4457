#include "config/StatusLine.h"

#include "config/MainView.h"
#include "config/ScanHistory.h"
#include "platform/Log.h"
#include "platform/Pauser.h"

StatusLine::StatusLine(MainView& view, Pauser& pauser, ScanHistory& history)
    : view_(view), pauser_(pauser), history_(history)
{
}

void StatusLine::ReportTrouble(const QString& status, const QString& logDetail)
{
    view_.SetStatus(status);
    history_.Refuse(status);
    Log::Error(logDetail);
    troubleShown_ = true;
}

void StatusLine::KeepScanTroubleShown()
{
    troubleShown_ = true;
    history_.Refuse(view_.Status());
}

void StatusLine::Outcome(const QString& text)
{
    history_.Record(text);
}

void StatusLine::Refusal(const QString& reason)
{
    history_.Refuse(reason);
}

void StatusLine::Pause(float seconds)
{
    pauser_.Pause(seconds);
}

void StatusLine::HideIndicators()
{
    for (int i = 0; i <= 4; ++i)
        view_.SetIndicator(i, false);
}

void StatusLine::ShowReady()
{
    Pause(0.6f);
    if (!troubleShown_)
        view_.SetStatus(QStringLiteral("Ready."));
}
