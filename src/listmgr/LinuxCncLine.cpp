#include "listmgr/LinuxCncLine.h"

#include "listmgr/ListLine.h"

#include <QRegularExpression>

#include <algorithm>

const QList<int>& LinuxCncLine::ListLineFields()
{
    static const QList<int> fields{164, 171, 284, 280, 165, 168, 169, 170, 282, 283};
    return fields;
}

LinuxCncLine::LinuxCncLine(const ListFields& line)
{
    QSet<int> seen;
    for (const auto& [number, text] : line.Fields()) {
        if (number == ListFields::NoField) {
            refusal_ = QStringLiteral("\"%1\" in the line is no field (#number=value)").arg(text);
            return;
        }
        // The first of two equal fields counts, as the window shows it.
        if (seen.contains(number))
            continue;
        seen.insert(number);
        if (number == ProgramField) {
            program_ = text;
            continue;
        }
        if (number < FirstParameter || number > LastParameter) {
            refusal_ = QStringLiteral("field #%1 cannot go to LinuxCNC: programs may only be given parameters #%2 to #%3")
                           .arg(number)
                           .arg(FirstParameter)
                           .arg(LastParameter);
            return;
        }
        const QString value = NumberText(text);
        if (value.isEmpty()) {
            refusal_ = QStringLiteral("#%1=%2 is not a number").arg(number).arg(text);
            return;
        }
        values_.append({number, value});
    }
    for (int number : ListLineFields()) {
        if (!seen.contains(number))
            values_.append({number, QStringLiteral("0")});
    }
    if (program_.trimmed().isEmpty())
        refusal_ = QStringLiteral("the line names no program (#161)");
    else
        // A list file's name is held to what a scanned one is: it becomes "set open" to LinuxCNC.
        refusal_ = ListLine::ProgramNameRefusal(program_);
}

QList<int> LinuxCncLine::Numbers() const
{
    QList<int> numbers;
    for (const auto& [number, value] : values_)
        numbers << number;
    return numbers;
}

QStringList LinuxCncLine::MdiCommands(const QSet<int>& alsoZero) const
{
    return MdiCommands(Assignments(alsoZero));
}

QList<std::pair<int, QString>> LinuxCncLine::Assignments(const QSet<int>& alsoZero) const
{
    QList<std::pair<int, QString>> all = values_;
    QList<int> extra(alsoZero.cbegin(), alsoZero.cend());
    std::sort(extra.begin(), extra.end());
    const QList<int> own = Numbers();
    for (int number : extra) {
        if (!own.contains(number))
            all.append({number, QStringLiteral("0")});
    }
    return all;
}

QStringList LinuxCncLine::MdiCommands(const QList<std::pair<int, QString>>& assignments)
{
    QStringList commands;
    QString command;
    for (const auto& [number, value] : assignments) {
        const QString assignment = QLatin1Char('#') + QString::number(number) + QLatin1Char('=') + value;
        if (!command.isEmpty() && command.size() + 1 + assignment.size() > MaxMdiLength) {
            commands << command;
            command.clear();
        }
        command += (command.isEmpty() ? QString() : QStringLiteral(" ")) + assignment;
    }
    if (!command.isEmpty())
        commands << command;
    return commands;
}

QString LinuxCncLine::NumberText(const QString& value)
{
    // What the G-code reader takes as a number: digits with at most one decimal point, a sign.
    static const QRegularExpression number(QStringLiteral("^([+-]?)([0-9]+\\.?[0-9]*|\\.[0-9]+)$"));
    const QString trimmed = value.trimmed();
    if (trimmed.isEmpty())
        return QStringLiteral("0");
    const QRegularExpressionMatch m = number.match(trimmed);
    if (!m.hasMatch())
        return QString();
    return (m.captured(1) == QLatin1String("-") ? QStringLiteral("-") : QString()) + m.captured(2);
}
