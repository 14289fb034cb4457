#pragma once

#include <QFrame>

class AutoSelectRules;
class QCheckBox;
class QLineEdit;

// One work field on the machine-table drawing: its letter, the code the list line carries and,
// where the field may be switched off, the check box that allows it. Both edit the live rules
// the moment they change.
class FieldCodeBox : public QFrame {
    Q_OBJECT
public:
    // The line edit is named after the suffix (SFS), the check box suffix + "cb" (SFScb).
    FieldCodeBox(AutoSelectRules& rules, const QString& suffix, const QString& toolTip, QWidget* parent = nullptr);

    const QString& Suffix() const { return suffix_; }
    QLineEdit* Code() const { return code_; }
    QCheckBox* Flag() const { return flag_; } // null for the fields that are always enabled

    // Shows the field's current code and flag without writing them back.
    void ShowEntry();
    // Set All / Clear All: ticks or clears the check box, which reaches the rules.
    void SetEnabled(bool enabled);

private:
    void codeChanged(const QString& text);
    void flagChanged(int state);
    void flagClicked();

    AutoSelectRules& rules_;
    QString suffix_;
    QLineEdit* code_;
    QCheckBox* flag_ = nullptr;
    bool showing_ = false;
};
