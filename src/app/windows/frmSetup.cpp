#include "app/windows/frmSetup.h"

#include "app/windows/SetupFoldersPage.h"
#include "app/windows/SetupMachinePage.h"
#include "app/windows/SetupScannerPage.h"
#include "platform/windows/Screen.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

frmSetup::frmSetup(Pages pages, const StationSetup& before, std::function<QStringList()> presentDevices, QWidget* parent)
    : QDialog(parent), pages_(pages), before_(before), after_(before)
{
    setObjectName(QStringLiteral("frmSetup"));
    setModal(true);
    stkPages = new QStackedWidget(this);
    stkPages->setObjectName(QStringLiteral("stkPages"));
    if (pages == Pages::FirstStart) {
        scanner_ = new SetupScannerPage(std::move(presentDevices), stkPages);
        stkPages->addWidget(scanner_);
        scanner_->Show(before);
    }
    if (pages != Pages::MachineControl) {
        folders_ = new SetupFoldersPage(stkPages);
        stkPages->addWidget(folders_);
        folders_->Show(before);
    }
    if (pages != Pages::Folders) {
        machine_ = new SetupMachinePage(stkPages);
        stkPages->addWidget(machine_);
        machine_->Show(before);
    }
    if (pages == Pages::FirstStart) {
        // Start-up goes on with what Finish saves: no change here waits for a restart.
        for (const char* note : {"lblRestartFolders", "lblRestartMachine"}) {
            if (auto* label = stkPages->findChild<QLabel*>(QLatin1String(note)))
                label->hide();
        }
    }
    setWindowTitle(pages == Pages::FirstStart ? QStringLiteral("Tarvex Setup")
                   : pages == Pages::Folders  ? QStringLiteral("Folders")
                                              : QStringLiteral("Machine Control"));

    lblTitle = new QLabel(this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont bold = lblTitle->font();
    bold.setBold(true);
    lblTitle->setFont(bold);
    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));

    const bool steps = pages == Pages::FirstStart;
    cmdBack = new QPushButton(QStringLiteral("< &Back"), this);
    cmdBack->setObjectName(QStringLiteral("cmdBack"));
    cmdNext = new QPushButton(QStringLiteral("&Next >"), this);
    cmdNext->setObjectName(QStringLiteral("cmdNext"));
    cmdFinish = new QPushButton(steps ? QStringLiteral("&Finish") : QStringLiteral("&Save"), this);
    cmdFinish->setObjectName(QStringLiteral("cmdFinish"));
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdBack->setVisible(steps);
    cmdNext->setVisible(steps);
    connect(cmdBack, &QPushButton::clicked, this, [this] { go(-1); });
    connect(cmdNext, &QPushButton::clicked, this, [this] { go(1); });
    connect(cmdFinish, &QPushButton::clicked, this, &frmSetup::cmdFinish_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    if (steps) {
        // Beside the buttons it explains: the page keeps its height for the settings.
        auto* intro = new QLabel(QStringLiteral("No ZEM.INI yet:\nFinish writes one."), this);
        intro->setObjectName(QStringLiteral("lblIntro"));
        buttons->addWidget(intro);
        cmdCancel->setToolTip(QStringLiteral("Start with the default settings; nothing is written"));
    }
    buttons->addStretch();
    buttons->addWidget(cmdBack);
    buttons->addWidget(cmdNext);
    buttons->addWidget(cmdFinish);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblTitle);
    layout->addWidget(stkPages, 1);
    layout->addWidget(lblMessage);
    layout->addLayout(buttons);
    showStep();
    // Wide enough that the explanations take few lines, narrow enough for 640 points across.
    setMinimumWidth(fontMetrics().averageCharWidth() * 90);
    // A stack passes on no height for a width: each page asks for the room its wrapped texts need.
    for (int i = 0; i < stkPages->count(); ++i) {
        QWidget* page = stkPages->widget(i);
        if (page->layout() && page->layout()->hasHeightForWidth())
            page->setMinimumHeight(qMax(page->minimumSizeHint().height(),
                                        page->layout()->totalHeightForWidth(qMax(page->sizeHint().width(), minimumWidth() - 24))));
    }
    Screen::FitForm(*this);
    adjustSize();
    // At the first start the main window is not shown yet: the screen is the reference.
    Screen::CenterFormOnScreen(*this);
}

QWidget* frmSetup::CurrentPage() const
{
    return stkPages->currentWidget();
}

void frmSetup::go(int step)
{
    // Leaving a page forward takes its choice, so that a fault is shown where it was made.
    if (step > 0 && !take(stkPages->currentWidget()))
        return;
    stkPages->setCurrentIndex(qBound(0, stkPages->currentIndex() + step, stkPages->count() - 1));
    lblMessage->clear();
    showStep();
}

bool frmSetup::take(QWidget* page)
{
    QString refusal;
    if (page == scanner_)
        refusal = scanner_->Take(after_);
    else if (page == folders_)
        refusal = folders_->Take(after_);
    else if (page == machine_)
        refusal = machine_->Take(after_);
    if (refusal.isEmpty())
        return true;
    stkPages->setCurrentWidget(page);
    showStep();
    lblMessage->setText(refusal);
    return false;
}

void frmSetup::cmdFinish_Click()
{
    after_ = before_;
    for (int i = 0; i < stkPages->count(); ++i) {
        if (!take(stkPages->widget(i)))
            return;
    }
    const QString problem = Save ? Save(after_) : QString();
    if (!problem.isEmpty()) {
        lblMessage->setText(problem);
        return;
    }
    accept();
}

void frmSetup::showStep()
{
    QWidget* page = stkPages->currentWidget();
    const QString name = page == scanner_ ? QStringLiteral("The scanner")
                         : page == folders_ ? QStringLiteral("Folders")
                                            : QStringLiteral("Machine control");
    const bool steps = pages_ == Pages::FirstStart;
    lblTitle->setText(steps ? QStringLiteral("Step %1 of %2: %3").arg(stkPages->currentIndex() + 1).arg(stkPages->count()).arg(name)
                            : name);
    cmdBack->setEnabled(stkPages->currentIndex() > 0);
    cmdNext->setEnabled(stkPages->currentIndex() < stkPages->count() - 1);
    cmdFinish->setDefault(!steps || !cmdNext->isEnabled());
    cmdNext->setDefault(steps && cmdNext->isEnabled());
}
