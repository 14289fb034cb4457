#include "autosel/AutoSelectCheck.h"

#include "config/TextNumber.h"

AutoSelectCheck::Finding AutoSelectCheck::FirstUnusable(AutoSelectRules& rules, const QStringList& fieldCodes)
{
    if (const MirrorTriggerRule* rule = rules.ActiveRule()) {
        const QString problem = TriggerProblem(rules.TriggerSource(), rule->Text);
        if (!problem.isEmpty())
            return {Value::TriggerText, problem, QString()};
    }
    QString problem = HalfLimitProblem(QStringLiteral("Half-table limit X"), rules.HalfLimitX());
    if (!problem.isEmpty())
        return {Value::HalfLimitX, problem, QString()};
    problem = HalfLimitProblem(QStringLiteral("Half-table limit Y"), rules.HalfLimitY());
    if (!problem.isEmpty())
        return {Value::HalfLimitY, problem, QString()};
    // The default field first: it is on the first tab, the fields on the next two.
    problem = FieldCodeProblem(QStringLiteral("DFN"), rules.Field(QStringLiteral("DFN")).Code, fieldCodes);
    if (!problem.isEmpty())
        return {Value::FieldCode, problem, QStringLiteral("DFN")};
    for (const QString& suffix : AutoSelectRules::Suffixes()) {
        problem = FieldCodeProblem(suffix, rules.Field(suffix).Code, fieldCodes);
        if (!problem.isEmpty())
            return {Value::FieldCode, problem, suffix};
    }
    return {};
}

QString AutoSelectCheck::FieldCodeProblem(const QString& suffix, const QString& code, const QStringList& fieldCodes)
{
    if (code.isEmpty() || fieldCodes.contains(code, Qt::CaseInsensitive))
        return QString();
    const QString field = suffix == QLatin1String("DFN") ? QStringLiteral("Default field") : QStringLiteral("Field ") + suffix;
    return QStringLiteral("%1: \"%2\" is not a field code of the list manager. Use one of %3, or leave it empty.")
        .arg(field, code, fieldCodes.join(QLatin1Char(' ')));
}

QString AutoSelectCheck::HalfLimitProblem(const QString& name, const QString& text)
{
    if (text.trimmed().isEmpty())
        return QString();
    const QString shown = QLatin1Char('"') + text + QLatin1Char('"');
    const qsizetype end = TextNumber::NumberEnd(text);
    if (end < 0)
        return QStringLiteral("%1: %2 does not begin with a number of millimetres, such as 650 or 650 mm. "
                              "Leave it empty to use no half of the table.")
            .arg(name, shown);
    const double value = TextNumber::Value(text);
    if (value < 0)
        return QStringLiteral("%1: %2 is below 0 mm.").arg(name, shown);
    if (value > MaxHalfLimit)
        return QStringLiteral("%1: %2 is more than %3 mm; no table is that large.")
            .arg(name, shown, QString::number(MaxHalfLimit, 'f', 0));
    if (end < text.size() && text[end] == QLatin1Char(','))
        return QStringLiteral("%1: %2 would be read as %3 mm. Write the number without a comma: "
                              "1500, or 1500.5 with a point.")
            .arg(name, shown, TextNumber::Format(static_cast<float>(value)));
    return QString();
}

QString AutoSelectCheck::TriggerProblem(AutoSelectRules::Source source, const QString& text)
{
    if (source == AutoSelectRules::Source::Barcode)
        return QString();
    // The trigger must fit the display at position 1 at least.
    const int longest = AutoSelectRules::DisplayWidth(source) - 1;
    if (text.size() <= longest)
        return QString();
    return QStringLiteral("Characters to trigger mirror: \"%1\" is %2 characters long; a trigger for the %3 can "
                          "have at most %4.")
        .arg(text)
        .arg(text.size())
        .arg(source == AutoSelectRules::Source::Comment ? QStringLiteral("comment") : QStringLiteral("program name"))
        .arg(longest);
}
