#pragma once

#include <QString>

class AutoSelectRules;

// The mirror-trigger test run before a program's line is added: it examines the program name or
// the comment against the active rule and answers how the program is to be listed.
class MirrorTrigger {
public:
    enum class Outcome {
        NotTested,        // source Barcode or no rule: the scan's own field code holds
        Normal,           // no match: an automatic normal field ("P")
        Mirrored,         // a match, and the rule asks for Mirror ("W")
        NormalAndMirrored // a match, and the rule asks for Norm and Mirror: two lines
    };

    explicit MirrorTrigger(AutoSelectRules& rules);

    Outcome TestMirrorTrigger(const QString& programName, const QString& comment) const;

private:
    AutoSelectRules& rules_;
};
