#pragma once

#include <QString>

// Message boxes with the icon, buttons and caption the operator is used to. Every box shown is
// also a log record, with the answer. The windowed and the unattended implementations differ
// only in how the answer is obtained.
class MessageBoxes {
public:
    enum class Icon { None, Critical, Warning, Question, Information };
    // KeepWaitingGoOnExit answers as RetryContinueExit does, with captions that say that going
    // on keeps the lines and connects in the background.
    enum class Buttons { Ok, OkCancel, RetryCancel, RetryContinueExit, KeepWaitingGoOnExit };
    enum class Answer { Ok, Cancel, Retry, Continue, Exit };

    static inline const QString ApplicationTitle = QStringLiteral("Tarvex");

    virtual ~MessageBoxes() = default;

    // Shows the box and returns the operator's answer. An empty caption means the default title.
    Answer Show(const QString& text, Icon icon = Icon::None, Buttons buttons = Buttons::Ok,
                const QString& caption = QString());

    // "Unexpected error #" number " occured: " description, critical icon, application title.
    void ReportUnexpectedError(int number, const QString& description);

    // The answer an operator who is not there gives: OK where it is the only button, Cancel
    // where it is offered, Continue for the list manager wait.
    static Answer SafeAnswer(Buttons buttons);

    static QString UnexpectedErrorText(int number, const QString& description);

protected:
    virtual Answer Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption) = 0;
};
