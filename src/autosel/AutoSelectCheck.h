#pragma once

#include "autosel/AutoSelectRules.h"

#include <QString>

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
//   trigger display: more than 12 for the program name, more than 25 for the comment.
class AutoSelectCheck {
public:
    static constexpr double MaxHalfLimit = 99999.0; // millimetres; no machine table comes near it

    enum class Value { None, HalfLimitX, HalfLimitY, TriggerText };
    struct Finding {
        Value value = Value::None;
        QString message; // which value, and why it cannot be used
    };

    // The first value that cannot be used, in the order the dialog shows them; Value::None when
    // every value can be used.
    static Finding FirstUnusable(AutoSelectRules& rules);

    // Why a half limit cannot be used ("Half-table limit X"), empty when it can.
    static QString HalfLimitProblem(const QString& name, const QString& text);
    // Why the trigger characters cannot be used with the source, empty when they can.
    static QString TriggerProblem(AutoSelectRules::Source source, const QString& text);
};
