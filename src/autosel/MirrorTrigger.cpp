#include "autosel/MirrorTrigger.h"

#include "autosel/AutoSelectRules.h"
#include "config/Spaces.h"

MirrorTrigger::MirrorTrigger(AutoSelectRules& rules) : rules_(rules)
{
}

MirrorTrigger::Outcome MirrorTrigger::TestMirrorTrigger(const QString& programName, const QString& comment) const
{
    const AutoSelectRules::Source source = rules_.TriggerSource();
    const MirrorTriggerRule* rule = rules_.ActiveRule();
    if (source == AutoSelectRules::Source::Barcode || !rule)
        return Outcome::NotTested;

    const QString& examined = source == AutoSelectRules::Source::ProgramName ? programName : comment;
    const QString s = Spaces::Trim(examined).toUpper();
    const QString t = rule->Text.toUpper(); // spaces in the trigger count
    const qsizetype length = t.size();
    const qsizetype n = s.size();
    if (length == 0 || length > n)
        return Outcome::NotTested;

    const qsizetype position = rule->Position;
    const qsizetype maximum = rule->MaxPosition(AutoSelectRules::DisplayWidth(source));
    // The compared characters must all lie inside the text.
    auto matchesAt = [&](qsizetype start) { return start >= 1 && start - 1 + length <= n && s.mid(start - 1, length) == t; };

    bool match = false;
    if (rule->FromLeft()) {
        match = matchesAt(position);
    } else {
        // Position k from the right puts the trigger's first character k characters from the end;
        // k = 1 (q = n) is compared too, so that the last character of a text can be tested.
        const qsizetype q = n - (maximum - position);
        match = q > 0 && q <= n && matchesAt(q);
    }
    if (t.startsWith(QLatin1Char('*')))
        match = true;

    if (!match)
        return Outcome::Normal;
    return rules_.ShownMirror() ? Outcome::Mirrored : Outcome::NormalAndMirrored;
}
