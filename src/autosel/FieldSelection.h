#pragma once

#include <QString>

class AutoSelectRules;

// The automatic choice of the work field: from the piece's size against the half-table limits
// and the enabled fields of the rules, alternating between the S/A and the T/R groups and, for
// paired requests, between normal and mirrored.
class FieldSelection {
public:
    // Kept between choices for the whole run; all false at start.
    struct FieldSelectionState {
        bool AlternateOrder = false; // the next choice tries T/R before S/A
        bool NextMirrored = false;   // the mirror state a paired request ("&") gets next
        bool MirrorPending = false;  // the next choice takes NextMirrored whatever it asked
    };

    // Modes: 0 automatic normal, 1 automatic mirrored, 8 automatic paired (mirror from
    // NextMirrored), 7 take the state from the letter of the program's field code, 6 as 7 and
    // make the next choice follow it.
    enum Mode { Normal = 0, Mirrored = 1, ExplicitPending = 6, Explicit = 7, Paired = 8 };

    static constexpr float MillimetreScale = 0.03937f;

    explicit FieldSelection(AutoSelectRules& rules);

    // Returns the chosen field code for modes 0, 1 and 8, empty text for 6 and 7. With modes 6
    // and 7 a known first letter of fieldCode leaves its mirror state in SelectionMode
    // (1 mirrored, 0 normal).
    QString FieldChoice(int& SelectionMode, const QString& fieldCode, float sizeX, float sizeY);

    FieldSelectionState State;

private:
    AutoSelectRules& rules_;
};
