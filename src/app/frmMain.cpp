#include "app/frmMain.h"

#include "app/ScanIntake.h"
#include "app/frmAbout.h"
#include "autosel/MacFlds.h"
#include "listmgr/ExInsForm.h"
#include "config/SerialLink.h"
#include "config/frmSettings.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/frmListManager.h"
#include "platform/InstanceCounter.h"
#include "platform/Log.h"
#include "platform/MessageBoxes.h"
#include "platform/Paths.h"
#include "platform/QtSerialPort.h"
#include "platform/RuntimeError.h"
#include "scan/ScanProcessing.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const indicatorCaptions[] = {"Load List", "Program", "Dimensions", "Vars A-D", "Vars E-I"};

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

frmMain::frmMain(MainServices services, QWidget* parent)
    : QMainWindow(parent), services_(std::move(services)), config_(services_.boxes),
      listLink_([this] {
          auto server = std::make_shared<EmbeddedListManager>();
          listWindow_->Attach(server.get());
          return std::static_pointer_cast<ListManager>(server);
      })
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvex"));
    config_.EndProgram = [this] { services_.endProcess(1); };
    if (services_.serial) {
        MSComm1 = services_.serial;
    } else {
        ownPort_ = std::make_unique<QtSerialPort>();
        MSComm1 = ownPort_.get();
    }
    processing_ = std::make_unique<ScanProcessing>(ScanProcessing::Services{
        config_, run_, *this, services_.boxes, services_.pauser, listLink_, fieldCodes_, *MSComm1});
    ScanConsumers* consumers = services_.consumers ? services_.consumers : processing_.get();
    link_ = std::make_unique<SerialLink>(config_, *MSComm1, *this, services_.boxes);
    link_->ShowSettingsDialog = [this] { mnuSetttings_Click(); };
    intake_ = std::make_unique<ScanIntake>(*MSComm1, *this, *consumers);
    buildControls();
    buildMenus();
    listWindow_ = new frmListManager(this);
}

frmMain::~frmMain()
{
    // The dialog refers to the scan processing's rules, which go before the window's children.
    delete macFlds_;
}

void frmMain::buildControls()
{
    auto* central = new QWidget(this);
    setCentralWidget(central);

    AClear = named(new QCheckBox(QStringLiteral("Automatic Clear on Scan"), central), "AClear");
    Overwrite = named(new QCheckBox(QStringLiteral("Overwrite Existing Programs With Program From 2D Barcode"), central), "Overwrite");
    ShowEd = named(new QCheckBox(QStringLiteral("Show Program in Editor"), central), "ShowEd");
    AutoStart = named(new QCheckBox(QStringLiteral("  Machine Auto Start"), central), "AutoStart");
    connect(AClear, &QCheckBox::clicked, this, &frmMain::AClear_Click);
    connect(Overwrite, &QCheckBox::clicked, this, &frmMain::Overwrite_Click);
    connect(AutoStart, &QCheckBox::clicked, this, &frmMain::AutoStart_Click);

    Timer1 = named(new QTimer(this), "Timer1");
    Timer1->setInterval(1000);
    connect(Timer1, &QTimer::timeout, this, &frmMain::Timer1_Timer);

    txtEtichetta = named(new QLineEdit(central), "txtEtichetta");
    txtEtichetta->setEnabled(false);
    cmdEdit = named(new QPushButton(QStringLiteral("Edit"), central), "cmdEdit");
    cmdEndEdit = named(new QPushButton(QStringLiteral("OK"), central), "cmdEndEdit");
    cmdEndEdit->setEnabled(false);
    connect(cmdEdit, &QPushButton::clicked, this, &frmMain::cmdEdit_Click);
    connect(cmdEndEdit, &QPushButton::clicked, this, &frmMain::cmdEndEdit_Click);
    // A scanner working as a keyboard ends each label with Enter: that is "OK".
    connect(txtEtichetta, &QLineEdit::returnPressed, this, &frmMain::txtEtichetta_KeyReturn);

    DSpin = named(new QLabel(QStringLiteral("X"), central), "DSpin");
    DSpin->setFont(QFont(QStringLiteral("Arial")));
    DSpin->setFixedWidth(DSpin->fontMetrics().horizontalAdvance(QStringLiteral("WW")));
    DSpin->hide();

    LabelAFS = named(new QLabel(QStringLiteral("Automatic Field Selection"), central), "LabelAFS");
    LabelAFS->hide();
    ExLab = named(new QLabel(central), "ExLab");

    auto* indicators = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        LabID[i] = new QLabel(QLatin1String(indicatorCaptions[i]), central);
        LabID[i]->setObjectName(QStringLiteral("LabID(%1)").arg(i));
        LabID[i]->setFrameShape(QFrame::Panel);
        LabID[i]->hide();
        indicators->addWidget(LabID[i]);
    }
    indicators->addStretch();

    picStatusBar = named(new QFrame(central), "picStatusBar");
    picStatusBar->setFrameShape(QFrame::StyledPanel);
    lblStatusBar = named(new QLabel(QStringLiteral("Ready."), picStatusBar), "lblStatusBar");
    lblCurSettings = named(new QLabel(picStatusBar), "lblCurSettings");
    auto* status = new QHBoxLayout(picStatusBar);
    status->setContentsMargins(4, 2, 4, 2);
    status->addWidget(lblStatusBar, 1);
    status->addWidget(lblCurSettings);

    auto* entry = new QHBoxLayout;
    entry->addWidget(txtEtichetta, 1);
    entry->addWidget(cmdEdit);
    entry->addWidget(cmdEndEdit);
    entry->addWidget(DSpin);

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(AClear);
    layout->addWidget(Overwrite);
    layout->addWidget(ShowEd);
    layout->addWidget(AutoStart);
    layout->addWidget(LabelAFS);
    layout->addWidget(ExLab);
    layout->addLayout(indicators);
    layout->addStretch();
    layout->addLayout(entry);
    layout->addWidget(picStatusBar);
    resize(520, 300);
}

void frmMain::buildMenus()
{
    mnuFile = named(menuBar()->addMenu(QStringLiteral("&File")), "mnuFile");
    mnuExit = named(mnuFile->addAction(QStringLiteral("E&xit")), "mnuExit");
    connect(mnuExit, &QAction::triggered, this, &frmMain::mnuExit_Click);

    mnuOptions = named(menuBar()->addMenu(QStringLiteral("&Options")), "mnuOptions");
    mnuSetttings = named(mnuOptions->addAction(QStringLiteral("&Settings")), "mnuSetttings");
    MnuAutoFld = named(mnuOptions->addAction(QStringLiteral("&Auto Field Select")), "MnuAutoFld");
    ExIns = named(mnuOptions->addAction(QStringLiteral("&Exclusion Insertion")), "ExIns");
    connect(MnuAutoFld, &QAction::triggered, this, &frmMain::MnuAutoFld_Click);
    connect(ExIns, &QAction::triggered, this, &frmMain::ExIns_Click);
    connect(mnuSetttings, &QAction::triggered, this, &frmMain::mnuSetttings_Click);
    mnuListManager = named(mnuOptions->addAction(QStringLiteral("&List Manager")), "mnuListManager");
    connect(mnuListManager, &QAction::triggered, this, &frmMain::mnuListManager_Click);

    mnuHelp = named(menuBar()->addMenu(QStringLiteral("&?")), "mnuHelp");
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("&About Tarvex ...")), "mnuAbout");
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

bool frmMain::Form_Load()
{
    Log::Info(QStringLiteral("Tarvex %1 starting: %2").arg(frmAbout::VersionText(), services_.arguments.join(QLatin1Char(' '))));

    if (services_.instances.PreviousInstance() && services_.instances.InstanceCount(QStringLiteral("BarCode")) > 1) {
        services_.boxes.Show(QStringLiteral("the BarCode Program is already running!"), MessageBoxes::Icon::Warning);
        services_.endProcess(0);
        return false;
    }

    config_.LoadSettings(*this);

    link_->Unattended = RunState::CommandLineOf(services_.arguments).contains(QStringLiteral("UNATTENDED"));
    link_->OpenSerialPort();

    if (!services_.instances.EnhancedInterfaceAvailable()) {
        services_.boxes.Show(QStringLiteral("This program requires the enhanced Windows interface"));
        services_.endProcess(0);
        return false;
    }

    runStep([this] { helpFile_ = Paths::ProgramFolder() + QStringLiteral("\\BRIXEL.HLP"); });
    runStep([this] { fieldCodes_.InitFieldCodeTable(); });
    runStep([this] { run_.CommandLine = RunState::CommandLineOf(services_.arguments); });
    if (!run_.HasSwitch(QStringLiteral("NOAPP"))) {
        bool exitChosen = false;
        runStep([this, &exitChosen] {
            exitChosen = listLink_.Connect(services_.pauser, services_.boxes) == ListManagerLink::Outcome::Exit;
        });
        if (exitChosen) {
            services_.endProcess(0);
            return false;
        }
    } else {
        Log::Info(QStringLiteral("NOAPP: running without the list manager"));
    }
    runStep([this] { run_.FirstScanPending = true; });

    Timer1->start();
    Log::Info(QStringLiteral("start-up done"));
    return true;
}

void frmMain::runStep(const std::function<void()>& step)
{
    try {
        step();
    } catch (const RuntimeError& e) {
        services_.boxes.ReportUnexpectedError(e.Number(), e.Description());
    }
}

void frmMain::closeEvent(QCloseEvent* event)
{
    Form_QueryUnload();
    Form_Unload();
    event->accept();
}

void frmMain::Form_QueryUnload()
{
    // Hidden dialogs must not keep the program alive; they go first.
    delete macFlds_;
    macFlds_ = nullptr;
}

void frmMain::Form_Unload()
{
    Timer1->stop();
    if (MSComm1->PortOpen())
        MSComm1->SetPortOpen(false);
    listLink_.Shutdown();
    Log::Info(QStringLiteral("shutdown"));
}

void frmMain::Timer1_Timer()
{
    link_->WatchDevice();
    intake_->Timer1_Timer();
}

void frmMain::cmdEdit_Click()
{
    txtEtichetta->setEnabled(true);
    txtEtichetta->setFocus();
    cmdEdit->setEnabled(false);
    cmdEndEdit->setEnabled(true);
    SetStatus(QStringLiteral("Type the Barcode-Label."));
}

void frmMain::cmdEndEdit_Click()
{
    txtEtichetta->setText(txtEtichetta->text().toUpper());
    const QString label = txtEtichetta->text();
    if (label.isEmpty()) {
        txtEtichetta->clear();
        txtEtichetta->setEnabled(false);
        cmdEdit->setEnabled(true);
        cmdEndEdit->setEnabled(false);
        cmdEdit->setFocus();
        SetStatus(QStringLiteral("Ready."));
        return;
    }
    // Until the dispatcher has answered (it may wait its turn behind a scan), the label is not
    // sent a second time and not changed under it.
    cmdEndEdit->setEnabled(false);
    txtEtichetta->setReadOnly(true);
    intake_->DispatchTyped(label, [this](bool accepted) { typedLabelDone(accepted); });
}

void frmMain::typedLabelDone(bool accepted)
{
    txtEtichetta->setReadOnly(false);
    if (accepted) {
        txtEtichetta->clear();
        txtEtichetta->setEnabled(false);
        cmdEdit->setEnabled(true);
        cmdEndEdit->setEnabled(false);
    } else {
        Beep();
        cmdEndEdit->setEnabled(true);
        txtEtichetta->setFocus();
    }
}

void frmMain::txtEtichetta_KeyReturn()
{
    if (cmdEndEdit->isEnabled())
        cmdEndEdit_Click();
}

void frmMain::mnuSetttings_Click()
{
    frmSettings settings(config_, *link_, this);
    settings.exec();
}

void frmMain::mnuExit_Click()
{
    Log::Info(QStringLiteral("E&xit chosen: ending at once"));
    services_.endProcess(0);
}

void frmMain::MnuAutoFld_Click()
{
    if (!macFlds_)
        macFlds_ = new MacFlds(processing_->Rules(), processing_->Fields().LastProgramName, processing_->Fields().LastComment, this);
    if (macFlds_->exec() == QDialog::Accepted && !macFlds_->Saved())
        SetStatus(QStringLiteral("Could not save the automatic field selection to %1.").arg(config_.NativeIniFilePath()));
}

void frmMain::ExIns_Click()
{
    ExInsForm dialog(config_, ExclusionMask, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!dialog.Saved())
        SetStatus(QStringLiteral("Could not save Exclusion to %1.").arg(config_.NativeIniFilePath()));
    const QString caption = ExInsForm::CaptionFor(ExclusionMask);
    if (caption.isEmpty()) {
        ExLab->hide();
    } else {
        ExLab->setText(caption);
        ExLab->show();
    }
}

void frmMain::mnuAbout_Click()
{
    frmAbout about(this);
    about.exec();
}

void frmMain::mnuListManager_Click()
{
    listWindow_->ShowWindow();
}

void frmMain::saveToggle(Box box, const QString& key)
{
    // A stored 2 shows greyed once; the operator's clicks give ticked and unticked only.
    checkBox(box)->setTristate(false);
    const QString value = IsChecked(box) ? QStringLiteral("1") : QStringLiteral("0");
    if (!config_.WriteIniValue(Configuration::Section, key, value))
        SetStatus(QStringLiteral("Could not save %1 to %2.").arg(key, config_.NativeIniFilePath()));
}

void frmMain::AClear_Click()
{
    saveToggle(Box::AClear, QStringLiteral("AutoClear"));
}

void frmMain::Overwrite_Click()
{
    saveToggle(Box::Overwrite, QStringLiteral("Overwrite"));
}

void frmMain::AutoStart_Click()
{
    saveToggle(Box::AutoStart, QStringLiteral("AutoStart"));
}

QCheckBox* frmMain::checkBox(Box box) const
{
    switch (box) {
    case Box::AClear:
        return AClear;
    case Box::Overwrite:
        return Overwrite;
    case Box::ShowEd:
        return ShowEd;
    case Box::AutoStart:
        return AutoStart;
    }
    return AClear;
}

void frmMain::SetStatus(const QString& text)
{
    lblStatusBar->setText(text);
}

QString frmMain::Status() const
{
    return lblStatusBar->text();
}

bool frmMain::IsChecked(Box box) const
{
    return checkBox(box)->checkState() == Qt::Checked;
}

void frmMain::SetCheckValue(Box box, int value)
{
    checkBox(box)->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void frmMain::HideShowEd()
{
    // The layout closes the gap: AutoStart takes the place ShowEd had.
    ShowEd->hide();
}

void frmMain::SetTimerInterval(int milliseconds)
{
    Timer1->setInterval(milliseconds);
}

void frmMain::SetCurrentSettings(const QString& text)
{
    lblCurSettings->setText(text);
}

void frmMain::SetIndicator(int index, bool visible)
{
    if (index >= 0 && index < static_cast<int>(LabID.size()))
        LabID[static_cast<size_t>(index)]->setVisible(visible);
}

void frmMain::SetAutoFieldSelection(bool visible)
{
    LabelAFS->setVisible(visible);
}

void frmMain::SetActivity(bool visible, const QString& text)
{
    DSpin->setText(text);
    DSpin->setVisible(visible);
}

void frmMain::Beep()
{
    QApplication::beep();
}
