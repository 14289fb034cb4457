#pragma once

#include "production/ReportRow.h"

#include <QWidget>

class MessageBoxes;
class ProductionCharts;
class ProductionReader;
class ProductionTable;
class QComboBox;
class QDateEdit;
class QLabel;
class QPushButton;

// "Production": the production record of a day, for all stations or one: its lines with their
// outcome and duration, the parts done per hour, and the cut time against the idle time; a day
// or a range of days exported as CSV. The record is read in the background: the window never
// waits for it, and an answer to a question asked before the last one is dropped.
class frmProduction : public QWidget {
    Q_OBJECT
public:
    // A failed export is shown in a box of boxes, when given, else in the window; always logged.
    frmProduction(ProductionReader& reader, MessageBoxes* boxes, QWidget* parent = nullptr);

    // Reads the day and station chosen anew and comes to the front.
    void ShowWindow();
    // Asks for the rows of the day and station chosen.
    void Refresh();
    // Asks for the rows of the days from..to (the station chosen) and writes them to path as CSV
    // when they come.
    void Export(QDate from, QDate to, const QString& path);

private:
    void exportClicked();
    void answered(quint64 question, QDate day, const ReportResult& result);
    void exported(const QString& path, const ReportResult& result);
    void showProblem(const QString& problem);
    void exportFailed(const QString& text);
    // The station chosen; empty for all.
    QString station() const;

    ProductionReader& reader_;
    MessageBoxes* boxes_;
    quint64 asked_ = 0;      // the last question's number; only its answer is shown
    QString problem_;        // the one last shown and logged
    QString exportFolder_;   // where the last export went
    QDateEdit* dtpDay;
    QComboBox* cboStation;
    QPushButton* cmdRefresh;
    QPushButton* cmdExport;
    QLabel* lblSource;
    QLabel* lblProblem;
    QLabel* lblExported;
    ProductionTable* lstProduction;
    ProductionCharts* charts_;
};
