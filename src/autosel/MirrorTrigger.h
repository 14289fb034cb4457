#pragma once

class AutoSelectRules;
class ScanFields;

// The mirror-trigger test run before a program's line is added: it examines the program name or
// the comment against the active rule and leaves its outcome in CurrentFieldCode ("W" mirrored,
// "P" normal). True only when the program is to be listed twice, normal and mirrored.
class MirrorTrigger {
public:
    MirrorTrigger(AutoSelectRules& rules, ScanFields& fields);

    bool TestMirrorTrigger();

private:
    AutoSelectRules& rules_;
    ScanFields& fields_;
};
