#pragma once

#include "autosel/MirrorTriggerRule.h"

#include <QString>

#include <array>

class Configuration;

// The automatic field selection settings: the 19 work fields with their codes and enable
// flags, the half-table limits and the mirror trigger. One live object for the whole run: it
// reads ZEM.INI the first time anything asks it for a value, the setup dialog edits it in place,
// and the field choice and the mirror-trigger test always see its current contents.
class AutoSelectRules {
public:
    enum class Source { ProgramName = 1, Comment = 2, Barcode = 3 };

    struct FieldEntry {
        QString Code;
        int Enabled = 0; // counts only when exactly 1
    };

    static constexpr int FieldCount = 19;
    static constexpr int ProgramNameWidth = 13;
    static constexpr int CommentWidth = 26;

    // The key suffixes in file order: SFN, SFM, SFS ... FFR, DFN.
    static const std::array<QString, FieldCount>& Suffixes();
    // SFN, SFM and DFN have no check box and are always enabled.
    static bool AlwaysEnabled(const QString& suffix);
    // The longest code the dialog lets the operator type for the field.
    static int CodeLimit(const QString& suffix);
    // 13 for the program name, 26 for the comment (and for Barcode the program name's width).
    static int DisplayWidth(Source source);

    explicit AutoSelectRules(Configuration& config);

    bool IsLoaded() const { return loaded_; }

    // Field lookup by key suffix; an unknown suffix is a programming error (std::invalid_argument).
    FieldEntry& Field(const QString& suffix);
    // A code as the operator typed it, kept upper case: codes are upper case wherever they are
    // compared.
    void SetFieldCode(const QString& suffix, const QString& typed);
    bool IsEnabled(const QString& suffix);
    // DFN's code upper-cased; empty means no default field.
    QString DefaultFieldCode();

    QString HalfLimitX();
    QString HalfLimitY();
    void SetHalfLimitX(const QString& text);
    void SetHalfLimitY(const QString& text);

    Source TriggerSource();
    void SetTriggerSource(Source source);
    // The outcome option the dialog shows: true "Mirror", false "Norm and Mirror".
    bool ShownMirror();
    void SetShownMirror(bool mirror);
    // The stored outcome flags (non-zero: Mirror), written back as the integers they hold.
    int PNameMSel();
    int CommentMSel();
    void SetPNameMSel(int value);
    void SetCommentMSel(int value);

    // One of the four rules; with source Barcode the program name's rules are meant.
    MirrorTriggerRule& Rule(Source source, bool mirror);
    // The rule of the selected source and shown outcome; null with source Barcode.
    MirrorTriggerRule* ActiveRule();
    // The trigger display's scroll maximum, as last set by UpdateScrollMaximum.
    int ScrollMaximum();

    // Shows the active rule (the dialog's SetAutoSel): its position is clamped into
    // 1 .. ScrollMaximum and the correction stays in the store. Nothing with source Barcode.
    void ShowActiveRule();
    // The display width of the source minus the active trigger's length; a position above the
    // new maximum comes down to it, as a scroll bar's value would. Nothing with source Barcode.
    void UpdateScrollMaximum();
    // The flag side of the dialog's GetAutoSel: the shown source's outcome flag becomes 1 for
    // "Mirror", 0 for "Norm and Mirror". Nothing with source Barcode.
    void StoreShownOutcome();

    // Everything the dialog can change, copied whole: the dialog takes one when it opens and
    // puts it back on Cancel, so that edits the operator threw away do not stay in force.
    struct Snapshot {
        std::array<FieldEntry, FieldCount> Fields{};
        QString HalfLimitX;
        QString HalfLimitY;
        Source TriggerSource = Source::Barcode;
        bool ShownMirror = true;
        int PNameMSel = 0;
        int CommentMSel = 0;
        std::array<MirrorTriggerRule, 4> Rules{};
        int ScrollMaximum = ProgramNameWidth;
    };
    Snapshot TakeSnapshot();
    void Restore(const Snapshot& snapshot);

    // Reads every key once; later calls do nothing (there is no reload while the program runs).
    void Load();
    // Writes every key in file order. False when any write failed (each failure is logged).
    bool Save();

private:
    void ensureLoaded();
    int fieldIndex(const QString& suffix) const;
    static int ruleIndex(Source source, bool mirror);
    QString read(const QString& key) const;
    bool write(const QString& key, const QString& value);

    Configuration& config_;
    bool loaded_ = false;
    std::array<FieldEntry, FieldCount> fields_{};
    QString halfLimitX_;
    QString halfLimitY_;
    Source source_ = Source::Barcode;
    bool shownMirror_ = true;
    int pNameMSel_ = 0;
    int commentMSel_ = 0;
    // Program name / Mirror, program name / Norm and Mirror, comment / Mirror, comment / Norm and Mirror.
    std::array<MirrorTriggerRule, 4> rules_{};
    int scrollMaximum_ = ProgramNameWidth;
};
