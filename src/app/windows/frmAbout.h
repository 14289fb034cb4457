#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The About box: product name and version.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

private:
    void Form_Load();
    void cmdOk_Click();

    QLabel* imgApp;
    QLabel* lblProdInfo;
    QLabel* lblZemInfo;
    QLabel* VerLabel;
    QPushButton* cmdOk;
};
