#pragma once

#include <QDialog>

#include <array>

class QCheckBox;
class QLabel;
class QPushButton;

// "Exclusion Insertion": which of the exclusion numbers 1 to 8 are to be inserted in the list
// manager. It opens on the mask in force; OK accepts the choice, which the caller keeps, saves
// to the key Exclusion and shows.
class ExInsForm : public QDialog {
    Q_OBJECT
public:
    ExInsForm(const QString& exclusionMask, QWidget* parent = nullptr);

    // The choice: "1" or "0" for each number 1 to 8.
    QString Mask() const;

    // The main window's caption for a mask: " Exclusion Number 13  for insertion.", or empty
    // when no number is chosen (the label is then hidden).
    static QString CaptionFor(const QString& mask);

private:
    void Form_Load(const QString& mask);
    void BtnOK_Click();
    void BtnCan_Click();

    QLabel* Label1;
    std::array<QCheckBox*, 9> ExCk{}; // indexes 1 to 8
    QPushButton* BtnOK;
    QPushButton* BtnCan;
};
