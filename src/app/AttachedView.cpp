#include "app/AttachedView.h"

void AttachedView::SetStatus(const QString& text)
{
    if (window_)
        window_->SetStatus(text);
}

QString AttachedView::Status() const
{
    return window_ ? window_->Status() : QString();
}

bool AttachedView::IsChecked(Box box) const
{
    return window_ && window_->IsChecked(box);
}

void AttachedView::SetCheckValue(Box box, int value)
{
    if (window_)
        window_->SetCheckValue(box, value);
}

void AttachedView::HideShowEd()
{
    if (window_)
        window_->HideShowEd();
}

void AttachedView::SetTimerInterval(int milliseconds)
{
    if (window_)
        window_->SetTimerInterval(milliseconds);
}

void AttachedView::SetCurrentSettings(const QString& text)
{
    if (window_)
        window_->SetCurrentSettings(text);
}

void AttachedView::SetPortState(PortState state, const QString& detail)
{
    if (window_)
        window_->SetPortState(state, detail);
}

void AttachedView::SetIndicator(int index, bool visible)
{
    if (window_)
        window_->SetIndicator(index, visible);
}

void AttachedView::SetAutoFieldSelection(bool visible)
{
    if (window_)
        window_->SetAutoFieldSelection(visible);
}

void AttachedView::SetActivity(bool visible, const QString& text)
{
    if (window_)
        window_->SetActivity(visible, text);
}

void AttachedView::Beep()
{
    if (window_)
        window_->Beep();
}

void AttachedView::ShowSettingsDialog()
{
    if (window_)
        window_->ShowSettingsDialog();
}
