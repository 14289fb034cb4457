#pragma once

#include "listmgr/ListFields.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// One list line as LinuxCNC runs it: the program file named by field 161, and every other
// field as a numbered parameter of the same number, set by MDI before the program runs.
class LinuxCncLine {
public:
    // Parameters a program may use freely: LinuxCNC's volatile user parameters.
    static constexpr int FirstParameter = 31;
    static constexpr int LastParameter = 5000;
    static constexpr int ProgramField = 161;
    // The numeric fields every list line has: they are set on every run, so that a field the
    // line lacks is 0 rather than the value of an earlier line.
    static const QList<int>& ListLineFields();
    // Longer MDI commands are split (LinuxCNC reads at most 255 characters a line).
    static constexpr int MaxMdiLength = 200;

    explicit LinuxCncLine(const ListFields& line);

    // Why the line cannot run; empty when it can. An empty value is 0; a value that is not a
    // number ("300%"), a field outside the free parameters, a text that is no field or a program
    // name that a scanned label could not carry refuse it.
    const QString& Refusal() const { return refusal_; }
    const QString& ProgramName() const { return program_; }
    // The parameter numbers the line sets, its own and the list line's.
    QList<int> Numbers() const;

    // The MDI commands that set every parameter: "#164=1 #171=10 ...". Numbers in alsoZero that
    // this line does not set become 0 (fields an earlier line had).
    QStringList MdiCommands(const QSet<int>& alsoZero = {}) const;
    // Every parameter with its value, in the order they are set; alsoZero as for MdiCommands.
    QList<std::pair<int, QString>> Assignments(const QSet<int>& alsoZero = {}) const;
    // "#164=1 #171=10 ...", split where a command would grow too long.
    static QStringList MdiCommands(const QList<std::pair<int, QString>>& assignments);

    // The value as LinuxCNC takes it ("0" for a blank one), or empty text when it is no number.
    static QString NumberText(const QString& value);

private:
    QString program_;
    QList<std::pair<int, QString>> values_;
    QString refusal_;
};
