#include "listmgr/windows/ExInsForm.h"


#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

ExInsForm::ExInsForm(const QString& exclusionMask, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("ExInsForm"));
    setWindowTitle(QStringLiteral("Exclusion Insertion"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Automatic insertion of an Exclusion number in the List Manager upon scan of "
                                       "barcode.  Select desired Exclusion number to insert."),
                        this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setWordWrap(true);

    auto* boxes = new QGridLayout;
    for (int i = 1; i <= 8; ++i) {
        auto* box = new QCheckBox(QString::number(i), this);
        box->setObjectName(QStringLiteral("ExCk(%1)").arg(i));
        boxes->addWidget(box, (i - 1) / 4, (i - 1) % 4);
        ExCk[static_cast<size_t>(i)] = box;
    }

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCan = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCan->setObjectName(QStringLiteral("BtnCan"));
    connect(BtnOK, &QPushButton::clicked, this, &ExInsForm::BtnOK_Click);
    connect(BtnCan, &QPushButton::clicked, this, &ExInsForm::BtnCan_Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCan);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addLayout(boxes);
    layout->addLayout(buttons);

    Form_Load(exclusionMask);
}

QString ExInsForm::CaptionFor(const QString& mask)
{
    QString numbers;
    for (int i = 0; i < mask.size() && i < 8; ++i) {
        if (mask[i] == QLatin1Char('1'))
            numbers += QString::number(i + 1);
    }
    if (numbers.isEmpty())
        return QString();
    return QStringLiteral(" Exclusion Number ") + numbers + QStringLiteral("  for insertion.");
}

void ExInsForm::Form_Load(const QString& mask)
{
    for (int i = 1; i <= 8; ++i)
        ExCk[static_cast<size_t>(i)]->setChecked(i <= mask.size() && mask[i - 1] == QLatin1Char('1'));
}

QString ExInsForm::Mask() const
{
    QString mask;
    for (int i = 1; i <= 8; ++i)
        mask += ExCk[static_cast<size_t>(i)]->checkState() != Qt::Unchecked ? QLatin1Char('1') : QLatin1Char('0');
    return mask;
}

void ExInsForm::BtnOK_Click()
{
    accept();
}

void ExInsForm::BtnCan_Click()
{
    reject();
}
