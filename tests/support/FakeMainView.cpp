#include "support/FakeMainView.h"

void FakeMainView::SetStatus(const QString& text)
{
    status = text;
    statusHistory << text;
    if (onStatus)
        onStatus(text);
}

void FakeMainView::SetIndicator(int i, bool visible)
{
    if (i >= 0 && i < static_cast<int>(indicators.size()))
        indicators[static_cast<size_t>(i)] = visible;
}

void FakeMainView::SetActivity(bool visible, const QString& text)
{
    activityVisible = visible;
    activityText = text;
}
