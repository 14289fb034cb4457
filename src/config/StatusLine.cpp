#include "config/StatusLine.h"

#include "config/MainView.h"
#include "platform/Log.h"
#include "platform/Pauser.h"

StatusLine::StatusLine(MainView& view, Pauser& pauser) : view_(view), pauser_(pauser)
{
}

void StatusLine::ReportTrouble(const QString& status, const QString& logDetail)
{
    view_.SetStatus(status);
    Log::Error(logDetail);
    troubleShown_ = true;
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
