#pragma once

#include <QDate>
#include <QDialog>

class QDateEdit;
class QRadioButton;

// "Export": which days of the production record go to the CSV file, the day shown or a range
// (from, to, both included).
class ProductionExportDialog : public QDialog {
    Q_OBJECT
public:
    ProductionExportDialog(QDate day, const QString& station, QWidget* parent = nullptr);

    QDate From() const;
    QDate To() const;

private:
    void rangeChosen();

    QRadioButton* optDay;
    QRadioButton* optRange;
    QDateEdit* dtpFrom;
    QDateEdit* dtpTo;
    QDate day_;
};
