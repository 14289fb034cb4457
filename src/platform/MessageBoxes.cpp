#include "platform/MessageBoxes.h"

#include "platform/Log.h"

namespace {
const char* answerName(MessageBoxes::Answer a)
{
    switch (a) {
    case MessageBoxes::Answer::Ok:
        return "OK";
    case MessageBoxes::Answer::Cancel:
        return "Cancel";
    case MessageBoxes::Answer::Retry:
        return "Retry";
    case MessageBoxes::Answer::Continue:
        return "Continue";
    case MessageBoxes::Answer::Exit:
        return "Exit";
    }
    return "?";
}
} // namespace

MessageBoxes::Answer MessageBoxes::Show(const QString& text, Icon icon, Buttons buttons, const QString& caption)
{
    const QString title = caption.isEmpty() ? ApplicationTitle : caption;
    Log::Info(QStringLiteral("message box [%1]: %2").arg(title, Log::Printable(text)));
    const Answer answer = Ask(text, icon, buttons, title);
    Log::Info(QStringLiteral("message box answered %1").arg(QLatin1String(answerName(answer))));
    return answer;
}

void MessageBoxes::ReportUnexpectedError(int number, const QString& description)
{
    Log::Error(QStringLiteral("unexpected error %1: %2").arg(number).arg(description));
    Show(UnexpectedErrorText(number, description), Icon::Critical, Buttons::Ok, ApplicationTitle);
}

MessageBoxes::Answer MessageBoxes::SafeAnswer(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok:
        return Answer::Ok;
    case Buttons::OkCancel:
    case Buttons::RetryCancel:
        return Answer::Cancel;
    case Buttons::RetryContinueExit:
    case Buttons::KeepWaitingGoOnExit:
        return Answer::Continue;
    }
    return Answer::Ok;
}

QString MessageBoxes::UnexpectedErrorText(int number, const QString& description)
{
    return QStringLiteral("Unexpected error #") + QString::number(number) + QStringLiteral(" occured: ") + description;
}
