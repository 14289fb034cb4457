#include "app/windows/ProductionExportDialog.h"

#include <QDateEdit>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {
QDateEdit* dateEdit(QDate date, const char* name, QWidget* parent)
{
    auto* edit = new QDateEdit(date, parent);
    edit->setObjectName(QLatin1String(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    return edit;
}
} // namespace

ProductionExportDialog::ProductionExportDialog(QDate day, const QString& station, QWidget* parent)
    : QDialog(parent), day_(day)
{
    setObjectName(QStringLiteral("ProductionExportDialog"));
    setWindowTitle(QStringLiteral("Export Production"));
    optDay = new QRadioButton(QStringLiteral("The day shown, %1").arg(day.toString(QStringLiteral("yyyy-MM-dd"))), this);
    optDay->setObjectName(QStringLiteral("optDay"));
    optDay->setChecked(true);
    optRange = new QRadioButton(QStringLiteral("The days from"), this);
    optRange->setObjectName(QStringLiteral("optRange"));
    dtpFrom = dateEdit(day.addDays(-6), "dtpFrom", this);
    dtpTo = dateEdit(day, "dtpTo", this);
    auto* lblTo = new QLabel(QStringLiteral("to"), this);
    auto* lblStation = new QLabel(QStringLiteral("Station: %1").arg(station), this);
    lblStation->setObjectName(QStringLiteral("lblStation"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Export…"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(optRange, &QRadioButton::toggled, this, &ProductionExportDialog::rangeChosen);
    auto* grid = new QGridLayout;
    grid->addWidget(optDay, 0, 0, 1, 4);
    grid->addWidget(optRange, 1, 0);
    grid->addWidget(dtpFrom, 1, 1);
    grid->addWidget(lblTo, 1, 2);
    grid->addWidget(dtpTo, 1, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(lblStation);
    layout->addStretch();
    layout->addWidget(buttons);
    rangeChosen();
}

void ProductionExportDialog::rangeChosen()
{
    dtpFrom->setEnabled(optRange->isChecked());
    dtpTo->setEnabled(optRange->isChecked());
}

QDate ProductionExportDialog::From() const
{
    return optRange->isChecked() ? std::min(dtpFrom->date(), dtpTo->date()) : day_;
}

QDate ProductionExportDialog::To() const
{
    return optRange->isChecked() ? std::max(dtpFrom->date(), dtpTo->date()) : day_;
}
