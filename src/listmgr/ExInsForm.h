#pragma once

#include <QDialog>

#include <array>

class Configuration;
class QCheckBox;
class QLabel;
class QPushButton;

// "Exclusion Insertion": which of the exclusion numbers 1 to 8 are to be inserted in the list
// manager. OK keeps the choice in the mask, writes it to the key Exclusion and the caller shows it.
class ExInsForm : public QDialog {
    Q_OBJECT
public:
    // The mask is the program's ExclusionMask: read when the dialog opens, replaced on OK.
    ExInsForm(Configuration& config, QString& exclusionMask, QWidget* parent = nullptr);

    // The main window's caption for a mask: " Exclusion Number 13  for insertion.", or empty
    // when no number is chosen (the label is then hidden).
    static QString CaptionFor(const QString& mask);

    // False when OK could not write the key (the choice still holds for this run).
    bool Saved() const { return saved_; }

private:
    void Form_Load();
    void BtnOK_Click();
    void BtnCan_Click();

    Configuration& config_;
    QString& mask_;
    bool saved_ = true;
    QLabel* Label1;
    std::array<QCheckBox*, 9> ExCk{}; // indexes 1 to 8
    QPushButton* BtnOK;
    QPushButton* BtnCan;
};
