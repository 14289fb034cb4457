#pragma once

#include "autosel/AutoSelectRules.h"

#include <QString>
#include <QStringList>

// Whether the values of the automatic field selection can be used as they stand, told in the
// operator's words. The setup dialog asks before it keeps them; nothing here changes a value,
// and a value that can be used is kept in the form it was typed or stored in.
//
// What cannot be used:
// - a half limit that is not empty and does not begin with a number of millimetres from 0 to
//   MaxHalfLimit ("abc", "-5", a 23-digit number), or whose number goes on with a comma ("1,500"
//   would be read as 1 mm). Text after the number stays allowed ("650 mm"); empty means no half
//   of the table is ever chosen, as before;
// - the trigger characters of the rule in use when they are too long for any position in the
//   trigger display: more than 12 for the program name, more than 25 for the comment;
// - a field code that is not empty and not one of the list manager's field codes (in any letter
//   case: the codes are saved upper-cased); the list line would carry an unknown field.
class AutoSelectCheck {
public:
    static constexpr double MaxHalfLimit = 99999.0; // millimetres; no machine table comes near it

    enum class Value { None, HalfLimitX, HalfLimitY, TriggerText, FieldCode };
    struct Finding {
        Value value = Value::None;
        QString message; // which value, and why it cannot be used
        QString field;   // for FieldCode: the field's suffix (SFS, DFN, ...)
    };

    // The first value that cannot be used, in the order the dialog shows them; Value::None when
    // every value can be used. fieldCodes: the list manager's field codes.
    static Finding FirstUnusable(AutoSelectRules& rules, const QStringList& fieldCodes);

    // Why a half limit cannot be used ("Half-table limit X"), empty when it can.
    static QString HalfLimitProblem(const QString& name, const QString& text);
    // Why the trigger characters cannot be used with the source, empty when they can.
    static QString TriggerProblem(AutoSelectRules::Source source, const QString& text);
    // Why the code of a field cannot be used, empty when it can.
    static QString FieldCodeProblem(const QString& suffix, const QString& code, const QStringList& fieldCodes);
};
