#include "app/windows/frmProduction.h"

#include "app/windows/ProductionCharts.h"
#include "app/windows/ProductionExportDialog.h"
#include "app/windows/ProductionTable.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/windows/Screen.h"
#include "production/ProductionReader.h"
#include "production/ProductionReport.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileInfo>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QVBoxLayout>

namespace {
const QString allStations = QStringLiteral("All stations");
const QString caption = QStringLiteral("Export Production");

QString dayText(QDate day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

// "44 done, 1 failed, 2 waiting": the outcomes in the order of a line's life, then any other.
QString outcomesText(const QMap<QString, int>& outcomes)
{
    static const QStringList order{QStringLiteral("done"),    QStringLiteral("failed"),  QStringLiteral("aborted"),
                                   QStringLiteral("unknown"), QStringLiteral("waiting"), QStringLiteral("cleared"),
                                   QStringLiteral("refused")};
    QStringList parts;
    for (const QString& outcome : order) {
        if (outcomes.value(outcome) > 0)
            parts << QStringLiteral("%1 %2").arg(outcomes.value(outcome)).arg(outcome);
    }
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it) {
        if (!order.contains(it.key()))
            parts << QStringLiteral("%1 %2").arg(it.value()).arg(it.key());
    }
    return parts.join(QStringLiteral(", "));
}
} // namespace

frmProduction::frmProduction(ProductionReader& reader, MessageBoxes* boxes, QWidget* parent)
    : QWidget(parent, Qt::Window), reader_(reader), boxes_(boxes), exportFolder_(QDir::homePath())
{
    setObjectName(QStringLiteral("frmProduction"));
    setWindowTitle(QStringLiteral("Production"));
    auto* lblDay = new QLabel(QStringLiteral("&Day:"), this);
    dtpDay = new QDateEdit(QDate::currentDate(), this);
    dtpDay->setObjectName(QStringLiteral("dtpDay"));
    dtpDay->setCalendarPopup(true);
    dtpDay->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    lblDay->setBuddy(dtpDay);
    auto* lblStation = new QLabel(QStringLiteral("&Station:"), this);
    cboStation = new QComboBox(this);
    cboStation->setObjectName(QStringLiteral("cboStation"));
    cboStation->addItem(allStations);
    cboStation->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    lblStation->setBuddy(cboStation);
    cmdRefresh = new QPushButton(QStringLiteral("&Refresh"), this);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdExport = new QPushButton(QStringLiteral("&Export…"), this);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    lblSource = new QLabel(this);
    lblSource->setObjectName(QStringLiteral("lblSource"));
    lblSource->setWordWrap(true);
    lblSource->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    lblProblem->setStyleSheet(QStringLiteral("color: red"));
    lblProblem->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblProblem->hide();
    lblExported = new QLabel(this);
    lblExported->setObjectName(QStringLiteral("lblExported"));
    lblExported->setWordWrap(true);
    lblExported->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblExported->hide();
    lstProduction = new ProductionTable(this);
    charts_ = new ProductionCharts(this);

    auto* choices = new QHBoxLayout;
    choices->addWidget(lblDay);
    choices->addWidget(dtpDay);
    choices->addSpacing(fontMetrics().averageCharWidth() * 2);
    choices->addWidget(lblStation);
    choices->addWidget(cboStation);
    choices->addStretch();
    choices->addWidget(cmdRefresh);
    choices->addWidget(cmdExport);
    auto* split = new QSplitter(Qt::Vertical, this);
    split->setObjectName(QStringLiteral("splProduction"));
    split->setChildrenCollapsible(false);
    split->addWidget(lstProduction);
    split->addWidget(charts_);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(choices);
    layout->addWidget(lblSource);
    layout->addWidget(lblProblem);
    layout->addWidget(lblExported);
    layout->addWidget(split, 1);

    connect(dtpDay, &QDateEdit::dateChanged, this, &frmProduction::Refresh);
    connect(cboStation, &QComboBox::currentIndexChanged, this, &frmProduction::Refresh);
    connect(cmdRefresh, &QPushButton::clicked, this, &frmProduction::Refresh);
    connect(cmdExport, &QPushButton::clicked, this, &frmProduction::exportClicked);
    resize(1000, 680);
    Screen::FitForm(*this);
}

void frmProduction::ShowWindow()
{
    Refresh();
    Screen::BringToFront(*this);
    lstProduction->setFocus();
}

QString frmProduction::station() const
{
    return cboStation->currentIndex() > 0 ? cboStation->currentText() : QString();
}

void frmProduction::Refresh()
{
    const quint64 question = ++asked_;
    const QDate day = dtpDay->date();
    lblSource->setText(QStringLiteral("Reading the production record of %1…").arg(dayText(day)));
    const QPointer<frmProduction> window(this);
    reader_.Ask({day, day, station()}, [window, question, day](const ReportResult& result) {
        if (window)
            window->answered(question, day, result);
    });
}

void frmProduction::answered(quint64 question, QDate day, const ReportResult& result)
{
    // The operator has chosen another day or station since: its answer is on the way.
    if (question != asked_)
        return;
    {
        const QSignalBlocker quiet(cboStation);
        const QString chosen = station();
        cboStation->clear();
        cboStation->addItem(allStations);
        cboStation->addItems(result.stations);
        // A station chosen before stays chosen, even when the record has none of its rows now.
        if (!chosen.isEmpty() && !result.stations.contains(chosen))
            cboStation->addItem(chosen);
        cboStation->setCurrentIndex(chosen.isEmpty() ? 0 : cboStation->findText(chosen));
    }
    lstProduction->Show(result.rows);
    const ProductionReport::DaySummary summary = ProductionReport::Summarize(result.rows, day);
    charts_->Show(summary);
    const QString source = result.source.isEmpty() ? QStringLiteral("the production record") : result.source;
    const QString outcomes = outcomesText(summary.outcomes);
    lblSource->setText(QStringLiteral("%1 of %2 from %3.%4")
                           .arg(result.rows.size() == 1 ? QStringLiteral("1 row") : QStringLiteral("%1 rows").arg(result.rows.size()),
                                dayText(day), source, outcomes.isEmpty() ? QString() : QStringLiteral(" The day: %1.").arg(outcomes)));
    showProblem(result.problem);
}

void frmProduction::showProblem(const QString& problem)
{
    lblProblem->setVisible(!problem.isEmpty());
    lblProblem->setText(problem);
    if (problem == problem_)
        return;
    problem_ = problem;
    if (!problem.isEmpty())
        Log::Warning(QStringLiteral("the production window shows an incomplete record: %1").arg(problem));
}

void frmProduction::exportClicked()
{
    ProductionExportDialog choice(dtpDay->date(), cboStation->currentText(), this);
    if (choice.exec() != QDialog::Accepted)
        return;
    const QString name = choice.From() == choice.To()
                             ? QStringLiteral("production-%1.csv").arg(dayText(choice.From()))
                             : QStringLiteral("production-%1-to-%2.csv").arg(dayText(choice.From()), dayText(choice.To()));
    const QString path = QFileDialog::getSaveFileName(this, caption, QDir(exportFolder_).filePath(name),
                                                      QStringLiteral("CSV files (*.csv);;All files (*)"));
    if (path.isEmpty())
        return;
    exportFolder_ = QFileInfo(path).absolutePath();
    Export(choice.From(), choice.To(), path);
}

void frmProduction::Export(QDate from, QDate to, const QString& path)
{
    Log::Info(QStringLiteral("production export of %1 to %2 asked, to %3").arg(dayText(from), dayText(to), path));
    const QPointer<frmProduction> window(this);
    reader_.Ask({from, to, station()}, [window, path](const ReportResult& result) {
        if (window)
            window->exported(path, result);
    });
}

void frmProduction::exported(const QString& path, const ReportResult& result)
{
    // Nothing read at all is not an empty report: no file is written that would say so.
    if (result.rows.isEmpty() && !result.problem.isEmpty()) {
        exportFailed(QStringLiteral("The production report was not written to %1: %2").arg(path, result.problem));
        return;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(ProductionReport::Csv(result.rows).toUtf8()) < 0 || !file.commit()) {
        exportFailed(QStringLiteral("The production report could not be written to %1: %2").arg(path, file.errorString()));
        return;
    }
    Log::Info(QStringLiteral("production export written: %1 rows to %2").arg(result.rows.size()).arg(path));
    lblExported->setText(QStringLiteral("Exported %1 rows to %2.").arg(result.rows.size()).arg(path));
    lblExported->show();
    if (!result.problem.isEmpty())
        exportFailed(QStringLiteral("The production report in %1 may be incomplete: %2").arg(path, result.problem));
}

void frmProduction::exportFailed(const QString& text)
{
    Log::Warning(text);
    lblExported->hide();
    if (boxes_) {
        boxes_->Show(text, MessageBoxes::Icon::Warning, MessageBoxes::Buttons::Ok, caption);
        return;
    }
    lblProblem->setText(text);
    lblProblem->show();
}
