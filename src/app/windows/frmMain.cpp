#include "app/windows/frmMain.h"

#include "app/Station.h"
#include "app/windows/ElidedLabel.h"
#include "app/windows/frmAbout.h"
#include "app/windows/frmHelp.h"
#include "app/windows/frmLogViewer.h"
#include "app/windows/MachineBand.h"
#include "app/windows/ScanHistoryView.h"
#include "autosel/windows/MacFlds.h"
#include "config/windows/frmSettings.h"
#include "listmgr/windows/ExInsForm.h"
#include "listmgr/windows/frmListManager.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/RuntimeError.h"
#include "platform/windows/Screen.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QKeyEvent>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace {
const char* const indicatorCaptions[] = {"Load List", "Program", "Dimensions", "Vars A-D", "Vars E-I"};

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QString placementPath()
{
    return Paths::StateFolder() + QStringLiteral("/window-placement");
}
} // namespace

frmMain::frmMain(Station& station, QWidget* parent) : QMainWindow(parent), station_(station)
{
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Tarvex"));
    buildControls();
    buildMenus();
    listWindow_ = new frmListManager(this);
    connect(&station_, &Station::ListManagerCreated, listWindow_, &frmListManager::Attach);
    connect(&station_, &Station::SettingsWanted, this, &frmMain::mnuSetttings_Click);
    connect(&station_, &Station::SetupWanted, this, [this] { runSetup(frmSetup::Pages::FirstStart); });
    bindState();
    restorePlacement();
}

frmMain::~frmMain() = default;

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
    // A scanner that types like a keyboard must never tick a box with its spaces: the boxes
    // take the mouse only, never the keyboard focus.
    for (QCheckBox* box : {AClear, Overwrite, ShowEd, AutoStart})
        box->setFocusPolicy(Qt::NoFocus);

    txtEtichetta = named(new QLineEdit(central), "txtEtichetta");
    txtEtichetta->setEnabled(false);
    cmdEdit = named(new QPushButton(QStringLiteral("Edit"), central), "cmdEdit");
    cmdEndEdit = named(new QPushButton(QStringLiteral("OK"), central), "cmdEndEdit");
    cmdEndEdit->setEnabled(false);
    connect(cmdEdit, &QPushButton::clicked, this, &frmMain::cmdEdit_Click);
    connect(cmdEndEdit, &QPushButton::clicked, this, &frmMain::cmdEndEdit_Click);
    // A scanner working as a keyboard ends each label with Enter: that is "OK".
    connect(txtEtichetta, &QLineEdit::returnPressed, this, &frmMain::txtEtichetta_KeyReturn);
    txtEtichetta->installEventFilter(this); // Escape leaves the entry
    auto* edit = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(edit, &QShortcut::activated, cmdEdit, &QPushButton::click);
    cmdEdit->setToolTip(QStringLiteral("Type a label by hand (F2); Escape leaves"));

    DSpin = named(new QLabel(QStringLiteral("X"), central), "DSpin");
    DSpin->setFont(QFont(QStringLiteral("Arial")));
    DSpin->setFixedWidth(DSpin->fontMetrics().horizontalAdvance(QStringLiteral("WW")));
    // Its place stays when it is hidden, so the entry and its buttons never move.
    QSizePolicy keepPlace = DSpin->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    DSpin->setSizePolicy(keepPlace);
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
    lblStatusBar = named(new ElidedLabel(QStringLiteral("Ready."), picStatusBar), "lblStatusBar");
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

    machineBand_ = new MachineBand(station_.State(), central);
    connect(machineBand_, &MachineBand::CommandWanted, this, [this](const QString& label) {
        // The same way as a scanned command, in its turn behind a scan under way.
        station_.Intake().DispatchTyped(label, {}, ScanHistory::Origin::Button);
    });

    auto* layout = new QVBoxLayout(central);
    layout->addWidget(machineBand_);
    layout->addWidget(AClear);
    layout->addWidget(Overwrite);
    layout->addWidget(ShowEd);
    layout->addWidget(AutoStart);
    layout->addWidget(LabelAFS);
    layout->addWidget(ExLab);
    layout->addLayout(indicators);
    lstHistory = new ScanHistoryView(station_.Processing().History(), central);
    layout->addWidget(lstHistory, 1);
    layout->addLayout(entry);
    layout->addWidget(picStatusBar);
    resize(640, 460);
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
    mnuOptions->addSeparator();
    mnuFolders = named(mnuOptions->addAction(QStringLiteral("&Folders…")), "mnuFolders");
    connect(mnuFolders, &QAction::triggered, this, [this] { runSetup(frmSetup::Pages::Folders); });
    mnuMachineControl = named(mnuOptions->addAction(QStringLiteral("&Machine control…")), "mnuMachineControl");
    connect(mnuMachineControl, &QAction::triggered, this, [this] { runSetup(frmSetup::Pages::MachineControl); });

    mnuHelp = named(menuBar()->addMenu(QStringLiteral("&?")), "mnuHelp");
    mnuGuide = named(mnuHelp->addAction(QStringLiteral("Operator's &Guide")), "mnuGuide");
    mnuGuide->setShortcut(QKeySequence(Qt::Key_F1));
    connect(mnuGuide, &QAction::triggered, this, &frmMain::mnuGuide_Click);
    mnuViewLog = named(mnuHelp->addAction(QStringLiteral("View &Log")), "mnuViewLog");
    connect(mnuViewLog, &QAction::triggered, this, &frmMain::mnuViewLog_Click);
    mnuHelp->addSeparator();
    mnuAbout = named(mnuHelp->addAction(QStringLiteral("&About Tarvex ...")), "mnuAbout");
    connect(mnuAbout, &QAction::triggered, this, &frmMain::mnuAbout_Click);
}

void frmMain::bindState()
{
    StationState& state = station_.State();
    lblStatusBar->SetText(state.Status());
    connect(&state, &StationState::StatusChanged, lblStatusBar, &ElidedLabel::SetText);
    for (auto option : {StationState::Option::AClear, StationState::Option::Overwrite, StationState::Option::ShowEd,
                        StationState::Option::AutoStart})
        showOption(option, state.OptionValue(option));
    connect(&state, &StationState::OptionChanged, this, &frmMain::showOption);
    // The layout closes the gap: AutoStart takes the place ShowEd had.
    ShowEd->setHidden(state.ShowEdHidden());
    connect(&state, &StationState::ShowEdHiddenChanged, ShowEd, &QWidget::setHidden);
    for (int i = 0; i < StationState::IndicatorCount; ++i)
        LabID[static_cast<size_t>(i)]->setVisible(state.Indicator(i));
    connect(&state, &StationState::IndicatorChanged, this, [this](int index, bool visible) {
        LabID[static_cast<size_t>(index)]->setVisible(visible);
    });
    LabelAFS->setVisible(state.AutoFieldSelection());
    connect(&state, &StationState::AutoFieldSelectionChanged, LabelAFS, &QWidget::setVisible);
    DSpin->setText(state.ActivityMark());
    DSpin->setVisible(state.ActivityShown());
    connect(&state, &StationState::ActivityChanged, this, [this](bool shown, const QString& mark) {
        DSpin->setText(mark);
        DSpin->setVisible(shown);
    });
    showPort(state.Port(), state.PortDetail());
    lblCurSettings->setText(state.SerialSettingsText());
    connect(&state, &StationState::SerialSettingsTextChanged, lblCurSettings, &QLabel::setText);
    connect(&state, &StationState::PortChanged, this, &frmMain::showPort);
}

bool frmMain::Form_Load()
{
    return station_.Start();
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtEtichetta && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && !txtEtichetta->isReadOnly()) {
        endManualEntry();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void frmMain::closeEvent(QCloseEvent* event)
{
    savePlacement();
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
    station_.Shutdown();
}

void frmMain::cmdEdit_Click()
{
    txtEtichetta->setEnabled(true);
    txtEtichetta->setFocus();
    cmdEdit->setEnabled(false);
    cmdEndEdit->setEnabled(true);
    station_.State().SetStatus(QStringLiteral("Type the Barcode-Label."));
}

void frmMain::cmdEndEdit_Click()
{
    txtEtichetta->setText(txtEtichetta->text().toUpper());
    const QString label = txtEtichetta->text();
    if (label.isEmpty()) {
        endManualEntry();
        return;
    }
    // Until the dispatcher has answered (it may wait its turn behind a scan), the label is not
    // sent a second time and not changed under it.
    cmdEndEdit->setEnabled(false);
    txtEtichetta->setReadOnly(true);
    station_.Intake().DispatchTyped(label, [this](bool accepted) { typedLabelDone(accepted); });
}

void frmMain::typedLabelDone(bool accepted)
{
    // The entry stays open with the focus, so that a scanner working as a keyboard can send the
    // next label at once; Escape (or OK on an empty entry) leaves it.
    txtEtichetta->setReadOnly(false);
    cmdEndEdit->setEnabled(true);
    txtEtichetta->setFocus();
    if (accepted) {
        txtEtichetta->clear();
        return;
    }
    QApplication::beep();
    // Kept for correction, and selected, so that the next label scanned replaces it.
    txtEtichetta->selectAll();
}

void frmMain::endManualEntry()
{
    txtEtichetta->clear();
    txtEtichetta->setEnabled(false);
    cmdEdit->setEnabled(true);
    cmdEndEdit->setEnabled(false);
    cmdEdit->setFocus();
    station_.State().SetStatus(QStringLiteral("Ready."));
}

void frmMain::txtEtichetta_KeyReturn()
{
    if (cmdEndEdit->isEnabled())
        cmdEndEdit_Click();
}

void frmMain::runSetup(frmSetup::Pages pages)
{
    const StationSetup before = StationSetup::Read(station_.Config());
    frmSetup setup(pages, before, [this] { return station_.PresentSerialDevices(); }, this);
    setup.Save = [this, &before](const StationSetup& after) { return station_.SaveSetup(before, after); };
    if (setup.exec() != QDialog::Accepted || pages == frmSetup::Pages::FirstStart)
        return;
    station_.State().SetStatus(pages == frmSetup::Pages::Folders
                                   ? QStringLiteral("Folders saved; a change of drive C: takes effect after a restart.")
                                   : QStringLiteral("Machine control saved; it takes effect after a restart of Tarvex."));
}

void frmMain::mnuSetttings_Click()
{
    const Configuration& config = station_.Config();
    frmSettings settings(config.CommPort, config.SerialSettings, station_.PortDevices(),
                         [this] { return station_.PresentSerialDevices(); }, this);
    if (settings.exec() == QDialog::Accepted)
        station_.ApplySerialSettings(settings.WorkingPort(), settings.WorkingSettings(), settings.WorkingDevice());
}

void frmMain::mnuExit_Click()
{
    station_.Exit();
}

void frmMain::MnuAutoFld_Click()
{
    if (!macFlds_) {
        const ScanFields& fields = station_.Processing().Fields();
        macFlds_ = new MacFlds(station_.Processing().Rules(), station_.FieldCodes().Codes(), fields.LastProgramName,
                               fields.LastComment, this);
    }
    if (macFlds_->exec() == QDialog::Accepted)
        station_.SaveAutoSelectRules();
}

void frmMain::ExIns_Click()
{
    ExInsForm dialog(station_.ExclusionMask(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    station_.SetExclusionMask(dialog.Mask());
    const QString caption = ExInsForm::CaptionFor(station_.ExclusionMask());
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

void frmMain::mnuGuide_Click()
{
    if (!helpWindow_)
        helpWindow_ = new frmHelp(this);
    helpWindow_->ShowWindow();
}

void frmMain::mnuViewLog_Click()
{
    if (!logWindow_)
        logWindow_ = new frmLogViewer(Log::FilePath(), this);
    logWindow_->ShowWindow();
}

void frmMain::BringToFront()
{
    Log::Info(QStringLiteral("another start of Tarvex asked for the window: brought to the front"));
    if (isMinimized())
        showNormal();
    Screen::BringToFront(*this);
}

void frmMain::restorePlacement()
{
    try {
        restoreGeometry(Files::ReadFrom(placementPath(), 0));
    } catch (const RuntimeError& e) {
        // Missing before the first close; either way the desktop places the window.
        if (e.Number() != RuntimeError::FileNotFound)
            Log::Warning(QStringLiteral("window placement not read: %1").arg(e.Description()));
    }
}

void frmMain::savePlacement()
{
    const QString path = placementPath();
    try {
        Files::WriteAtomically(path, saveGeometry());
    } catch (const RuntimeError& e) {
        // Only the window's place is lost: the next start opens it where the desktop puts it.
        Log::Warning(QStringLiteral("window placement not saved to %1: %2").arg(path, e.Description()));
        station_.State().SetStatus(QStringLiteral("Window placement not saved: %1").arg(e.Description()));
    }
}

void frmMain::toggleClicked(StationState::Option option)
{
    // A stored 2 shows greyed once; the operator's clicks give ticked and unticked only.
    QCheckBox* box = checkBox(option);
    box->setTristate(false);
    station_.State().SetOption(option, box->checkState() == Qt::Checked ? 1 : 0);
}

void frmMain::AClear_Click()
{
    toggleClicked(StationState::Option::AClear);
}

void frmMain::Overwrite_Click()
{
    toggleClicked(StationState::Option::Overwrite);
}

void frmMain::AutoStart_Click()
{
    toggleClicked(StationState::Option::AutoStart);
}

QCheckBox* frmMain::checkBox(StationState::Option option) const
{
    switch (option) {
    case StationState::Option::AClear:
        return AClear;
    case StationState::Option::Overwrite:
        return Overwrite;
    case StationState::Option::ShowEd:
        return ShowEd;
    case StationState::Option::AutoStart:
        return AutoStart;
    }
    return AClear;
}

void frmMain::showOption(StationState::Option option, int value)
{
    // A stored 2 is shown greyed, as the box's third state.
    checkBox(option)->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

void frmMain::showPort(StationState::PortState state, const QString& detail)
{
    switch (state) {
    case StationState::PortState::Open:
        lblCurSettings->setText(station_.State().SerialSettingsText());
        lblCurSettings->setToolTip(QStringLiteral("Open on %1").arg(detail));
        break;
    case StationState::PortState::Waiting:
        lblCurSettings->setText(QStringLiteral("Waiting for the scanner"));
        lblCurSettings->setToolTip(detail);
        break;
    case StationState::PortState::Closed:
        lblCurSettings->setText(QStringLiteral("Scanner port closed"));
        lblCurSettings->setToolTip(detail);
        break;
    }
}
