#include "app/windows/frmAbout.h"

#include "platform/Version.h"
#include "platform/windows/Screen.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tarvex"));
    setModal(true);

    imgApp = new QLabel(this);
    imgApp->setObjectName(QStringLiteral("imgApp"));
    const QIcon icon = QApplication::windowIcon().isNull() ? style()->standardIcon(QStyle::SP_ComputerIcon)
                                                          : QApplication::windowIcon();
    imgApp->setPixmap(icon.pixmap(48, 48));

    lblProdInfo = new QLabel(QStringLiteral("Barcode Manager, Version "), this);
    lblProdInfo->setObjectName(QStringLiteral("lblProdInfo"));
    QFont big = lblProdInfo->font();
    big.setBold(true);
    lblProdInfo->setFont(big);

    lblZemInfo = new QLabel(QStringLiteral("Reads labels and 2D barcodes from the scanner and fills the machine's work list."), this);
    lblZemInfo->setObjectName(QStringLiteral("lblZemInfo"));
    lblZemInfo->setWordWrap(true);
    VerLabel = new QLabel(QStringLiteral("Built with Qt %1").arg(QLatin1String(qVersion())), this);
    VerLabel->setObjectName(QStringLiteral("VerLabel"));

    cmdOk = new QPushButton(QStringLiteral("&Ok"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &frmAbout::cmdOk_Click);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* text = new QVBoxLayout;
    text->addWidget(lblProdInfo);
    text->addWidget(lblZemInfo);
    text->addWidget(line);
    text->addWidget(VerLabel);
    auto* top = new QHBoxLayout;
    top->addWidget(imgApp, 0, Qt::AlignTop);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOk);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top);
    all->addLayout(buttons);
    resize(420, 160);

    Form_Load();
}

void frmAbout::Form_Load()
{
    lblProdInfo->setText(lblProdInfo->text() + Version::Text());
    Screen::CenterForm(*this);
}

void frmAbout::cmdOk_Click()
{
    accept();
}
