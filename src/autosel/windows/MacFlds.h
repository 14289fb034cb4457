#pragma once

#include "autosel/AutoSelectRules.h"

#include <QDialog>
#include <QStringList>

#include <optional>
#include <vector>

class FieldCodeBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTabWidget;

// "Automatic Field Selection Setup": the field codes and enable flags, the half-table limits,
// the default field, the trigger source and the mirror-trigger rules. Its controls edit the live
// rules in place, so the field choice and the mirror test use every edit at once; OK keeps them
// (the caller saves them to ZEM.INI) unless a value cannot be used (AutoSelectCheck), which the
// dialog then names and stays open on. Cancel puts back what the rules held when the dialog
// opened. Created once per run and only hidden when it closes.
class MacFlds : public QDialog {
    Q_OBJECT
public:
    // The last program's name and comment are the live texts of the scan processing, shown on
    // a double click; they outlive the dialog. fieldCodes: the codes a field may carry.
    MacFlds(AutoSelectRules& rules, const QStringList& fieldCodes, const QString& lastProgramName,
            const QString& lastComment, QWidget* parent = nullptr);

    // Copies the rule shown into its store, with the outcome flag of the source shown.
    void GetAutoSel();
    // Shows the rule of the selected source and outcome; its position is kept in range.
    void SetAutoSel();
    // Redraws the trigger display and the position labels.
    void PlaceText();

    // Cancel, Escape and the window's close button: the edits since opening are undone.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildAutoSelectTab();
    // A field tab: the schematic with its boxes, and the legend under it.
    static QWidget* schematicPage(QWidget* page, QWidget* table, const QString& legendText);
    QWidget* buildStandardTab();
    QWidget* buildFrontBackTab();
    QWidget* buildLimitsTab();
    FieldCodeBox* fieldBox(const QString& suffix, const QString& toolTip);
    void Form_Load();
    // Every control from the rules, as Load leaves them.
    void showRules();
    void syncScroll();
    AutoSelectRules::Source selectedSource() const;
    const std::vector<FieldCodeBox*>* boxesOfCurrentTab() const;

    void option_Click(bool checked);
    void MSpec_Change(const QString& text);
    void PosScroll_Change(int value);
    void OptAlnL_Click(bool checked);
    void OptAlnR_Click(bool checked);
    void LabDispStr_DblClick();
    void DFN_Change(const QString& text);
    void HlfLimX_Change(const QString& text);
    void HlfLimY_Change(const QString& text);
    void TabSetup_Click(int index);
    void BtnSetAll_Click();
    void BtnClearAll_Click();
    void BtnOK_Click();
    void BtnCan_Click();
    // The message under the tabs; hidden when empty.
    void showProblem(const QString& message);
    void recheck();

    AutoSelectRules& rules_;
    QStringList fieldCodes_;
    const QString& lastProgramName_;
    const QString& lastComment_;
    std::optional<AutoSelectRules::Snapshot> opened_; // the rules as they were when the dialog opened
    bool syncing_ = false; // controls being filled from the rules: nothing is written back

    QTabWidget* TabSetup;
    QRadioButton* MPName;
    QRadioButton* MCmt;
    QRadioButton* MBC;
    QGroupBox* fraMirror;
    QGroupBox* fraOnMatch;
    QRadioButton* MSel;
    QRadioButton* NMSel;
    QGroupBox* FrameTSet;
    QLabel* LabDispStr;
    QLineEdit* MSpec;
    QScrollBar* PosScroll;
    QRadioButton* OptAlnL;
    QRadioButton* OptAlnR;
    QLabel* PosDispLeft;
    QLabel* PosDispRight;
    QGroupBox* fraDefault;
    QLineEdit* DFN;
    QLineEdit* HlfLimX;
    QLineEdit* HlfLimY;
    std::vector<FieldCodeBox*> standardBoxes_;
    std::vector<FieldCodeBox*> frontBackBoxes_;
    QLabel* lblProblem;
    QPushButton* BtnClearAll;
    QPushButton* BtnSetAll;
    QPushButton* BtnOK;
    QPushButton* BtnCan;
};
