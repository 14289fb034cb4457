#include "support/FakeMessageBoxes.h"

#include <QStringList>

QStringList FakeMessageBoxes::Texts() const
{
    QStringList texts;
    for (const Shown& s : shown)
        texts << s.text;
    return texts;
}

MessageBoxes::Answer FakeMessageBoxes::Ask(const QString& text, Icon icon, Buttons buttons, const QString& caption)
{
    shown.append({text, icon, buttons, caption});
    if (onShow)
        onShow(shown.back());
    if (!answers.isEmpty())
        return answers.takeFirst();
    return SafeAnswer(buttons);
}
