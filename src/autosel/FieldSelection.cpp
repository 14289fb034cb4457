#include "autosel/FieldSelection.h"

#include "autosel/AutoSelectRules.h"
#include "config/TextNumber.h"

namespace {
enum class Needs { XY, X, Y, Nothing };

struct Candidate {
    const char* suffix;
    Needs needs;
};

// Tried in order; the last entry of each list is taken whatever its flag and the size.
constexpr Candidate normalOrder[] = {{"FFS", Needs::XY}, {"BFS", Needs::XY}, {"SFS", Needs::X},
                                     {"FFT", Needs::XY}, {"BFT", Needs::XY}, {"SFT", Needs::X},
                                     {"FFN", Needs::Y},  {"BFN", Needs::Y},  {"SFN", Needs::Nothing}};
// SFS comes after the N fields here, unlike in the other lists.
constexpr Candidate normalAlternate[] = {{"FFT", Needs::XY}, {"BFT", Needs::XY}, {"SFT", Needs::X},
                                         {"FFS", Needs::XY}, {"BFS", Needs::XY}, {"FFN", Needs::Y},
                                         {"BFN", Needs::Y},  {"SFS", Needs::X},  {"SFN", Needs::Nothing}};
constexpr Candidate mirroredOrder[] = {{"FFA", Needs::XY}, {"BFA", Needs::XY}, {"SFA", Needs::X},
                                       {"FFR", Needs::XY}, {"BFR", Needs::XY}, {"SFR", Needs::X},
                                       {"FFM", Needs::Y},  {"BFM", Needs::Y},  {"SFM", Needs::Nothing}};
constexpr Candidate mirroredAlternate[] = {{"FFR", Needs::XY}, {"BFR", Needs::XY}, {"SFR", Needs::X},
                                           {"FFA", Needs::XY}, {"BFA", Needs::XY}, {"SFA", Needs::X},
                                           {"FFM", Needs::Y},  {"BFM", Needs::Y},  {"SFM", Needs::Nothing}};

// The half limit in the unit of the sizes, kept in single precision as the comparison is.
float scaledLimit(const QString& halfLimit, float scale)
{
    return static_cast<float>(TextNumber::Value(halfLimit) * static_cast<double>(scale));
}
} // namespace

FieldSelection::FieldSelection(AutoSelectRules& rules) : rules_(rules)
{
}

QString FieldSelection::FieldChoice(int& SelectionMode, const QString& code, float sizeX, float sizeY)
{
    if (SelectionMode == ExplicitPending || SelectionMode == Explicit) {
        const char16_t letter = code.isEmpty() ? 0 : code[0].unicode();
        bool alternate = false;
        bool mirror = false;
        switch (letter) {
        case 'S':
        case 'N':
            break;
        case 'A':
            mirror = true;
            break;
        case 'T':
            alternate = true;
            break;
        case 'R':
        case 'M':
            alternate = true;
            mirror = true;
            break;
        default:
            return QString();
        }
        State.AlternateOrder = alternate;
        State.NextMirrored = mirror;
        if (SelectionMode == ExplicitPending)
            State.MirrorPending = true;
        SelectionMode = mirror ? Mirrored : Normal;
        return QString();
    }

    bool mirror;
    if (SelectionMode == Paired || State.MirrorPending) {
        mirror = State.NextMirrored;
        State.MirrorPending = false;
    } else {
        mirror = SelectionMode != Normal;
    }

    // Small pieces are taken to be in inches: the limits (millimetres) are converted to match.
    const float scale = (sizeY < 60.0f && sizeX < 140.0f) ? MillimetreScale : 1.0f;
    const bool fitsX = scaledLimit(rules_.HalfLimitX(), scale) > sizeX;
    const bool fitsY = scaledLimit(rules_.HalfLimitY(), scale) > sizeY;

    const Candidate* order = mirror ? (State.AlternateOrder ? mirroredAlternate : mirroredOrder)
                                    : (State.AlternateOrder ? normalAlternate : normalOrder);
    QString chosen;
    for (int i = 0; i < 9; ++i) {
        const QString suffix = QLatin1String(order[i].suffix);
        bool fits = true;
        switch (order[i].needs) {
        case Needs::XY:
            fits = fitsX && fitsY;
            break;
        case Needs::X:
            fits = fitsX;
            break;
        case Needs::Y:
            fits = fitsY;
            break;
        case Needs::Nothing:
            break;
        }
        if (order[i].needs == Needs::Nothing || (fits && rules_.Field(suffix).Enabled == 1)) {
            chosen = rules_.Field(suffix).Code;
            break;
        }
    }

    State.NextMirrored = !mirror;
    State.AlternateOrder = !State.AlternateOrder;
    return chosen;
}
