#include "app/windows/frmMain.h"

#include "app/Station.h"
#include "app/windows/ElidedLabel.h"
#include "app/windows/frmAbout.h"
#include "app/windows/frmHelp.h"
#include "app/windows/frmLogViewer.h"
#include "app/windows/frmProduction.h"
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
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QKeyEvent>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include <utility>

namespace {
const char* const indicatorCaptions[] = {"Load List", "Program", "Dimensions", "Vars A-D", "Vars E-I"};

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

void keepPlaceWhenHidden(QWidget* widget)
{
    QSizePolicy keepPlace = widget->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(keepPlace);
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
    connect(&station_, &Station::ListManagerAwaited, this, [this] {
        if (!isVisible())
            show();
    });
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
    // Neither may take the focus from the entry, where a space or an Enter of a scanner that
    // types would press it: they take the mouse (and F2) only.
    cmdEdit->setFocusPolicy(Qt::NoFocus);
    cmdEndEdit->setFocusPolicy(Qt::NoFocus);
    // Enter (or the scanner's suffix) ends a line, Escape leaves the entry.
    txtEtichetta->installEventFilter(this);
    auto* edit = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(edit, &QShortcut::activated, cmdEdit, &QPushButton::click);
    cmdEdit->setToolTip(QStringLiteral("Type a label by hand (F2); Escape leaves"));

    DSpin = named(new QLabel(QStringLiteral("X"), central), "DSpin");
    DSpin->setFont(QFont(QStringLiteral("Arial")));
    DSpin->setFixedWidth(DSpin->fontMetrics().horizontalAdvance(QStringLiteral("WW")));
    // Its place stays when it is hidden, so the entry and its buttons never move.
    keepPlaceWhenHidden(DSpin);
    DSpin->hide();

    // The captions and the part indicators have places of their own, kept while they are
    // hidden or empty, so that nothing below them moves as they come and go.
    LabelAFS = named(new QLabel(QStringLiteral("Automatic Field Selection"), central), "LabelAFS");
    keepPlaceWhenHidden(LabelAFS);
    LabelAFS->hide();
    ExLab = named(new QLabel(central), "ExLab");
    keepPlaceWhenHidden(ExLab);
    ExLab->setMinimumHeight(LabelAFS->sizeHint().height());
    auto* captions = new QHBoxLayout;
    captions->addWidget(LabelAFS);
    captions->addWidget(ExLab, 1);

    auto* indicators = new QHBoxLayout;
    for (int i = 0; i < 5; ++i) {
        LabID[i] = new QLabel(QLatin1String(indicatorCaptions[i]), central);
        LabID[i]->setObjectName(QStringLiteral("LabID(%1)").arg(i));
        LabID[i]->setFrameShape(QFrame::Panel);
        keepPlaceWhenHidden(LabID[i]);
        LabID[i]->hide();
        indicators->addWidget(LabID[i]);
    }
    indicators->addStretch();

    // The selected entry of the history (else the newest) whole, so that the reason of a
    // refused or doubtful scan is read without hovering. A fixed height: the history never moves.
    txtScanDetail = named(new QPlainTextEdit(central), "txtScanDetail");
    txtScanDetail->setReadOnly(true);
    txtScanDetail->setFocusPolicy(Qt::NoFocus);
    txtScanDetail->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    txtScanDetail->setFixedHeight(txtScanDetail->fontMetrics().lineSpacing() * 4 +
                                  2 * (txtScanDetail->frameWidth() + static_cast<int>(txtScanDetail->document()->documentMargin())));

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
    layout->addLayout(captions);
    layout->addLayout(indicators);
    lstHistory = new ScanHistoryView(station_.Processing().History(), central);
    layout->addWidget(lstHistory, 1);
    layout->addWidget(txtScanDetail);
    txtScanDetail->setPlainText(lstHistory->DetailText());
    connect(lstHistory, &ScanHistoryView::DetailChanged, txtScanDetail, &QPlainTextEdit::setPlainText);
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
    mnuSound = named(mnuOptions->addAction(QStringLiteral("S&ounds for Refusals and Faults")), "mnuSound");
    mnuSound->setCheckable(true);
    connect(mnuSound, &QAction::triggered, this, &frmMain::mnuSound_Click);
    mnuProduction = named(mnuOptions->addAction(QStringLiteral("&Production…")), "mnuProduction");
    // Greyed while the station keeps no production record; looked at again after start-up,
    // which opens it, and each time the menu opens.
    mnuProduction->setEnabled(station_.Production() != nullptr);
    connect(mnuOptions, &QMenu::aboutToShow, this, [this] { mnuProduction->setEnabled(station_.Production() != nullptr); });
    connect(mnuProduction, &QAction::triggered, this, &frmMain::mnuProduction_Click);
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
    mnuSound->setChecked(state.SoundOn());
    connect(&state, &StationState::SoundOnChanged, mnuSound, &QAction::setChecked);
    showPort(state.Port(), state.PortDetail());
    lblCurSettings->setText(state.SerialSettingsText());
    connect(&state, &StationState::SerialSettingsTextChanged, lblCurSettings, &QLabel::setText);
    connect(&state, &StationState::PortChanged, this, &frmMain::showPort);
}

bool frmMain::Form_Load()
{
    const bool started = station_.Start();
    mnuProduction->setEnabled(station_.Production() != nullptr);
    return started;
}

bool frmMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtEtichetta && event->type() == QEvent::KeyPress) {
        const auto& key = *static_cast<QKeyEvent*>(event);
        // A modifier pressed on its own (the Ctrl of a Ctrl+J) is no key of the line.
        static const QList<int> modifiers{Qt::Key_Shift, Qt::Key_Control, Qt::Key_Alt, Qt::Key_Meta, Qt::Key_AltGr};
        const bool afterLineEnd = modifiers.contains(key.key()) ? lineJustEnded_ : std::exchange(lineJustEnded_, false);
        if (key.key() == Qt::Key_Escape) {
            endManualEntry();
            return true;
        }
        if (endsLine(key)) {
            // The LF of a CR LF the scanner typed ends nothing more.
            if (!(afterLineEnd && txtEtichetta->text().isEmpty())) {
                lineJustEnded_ = !txtEtichetta->text().isEmpty() && station_.Config().Suffix.Which() == ScanSuffix::Kind::CRLF;
                txtEtichetta_KeyReturn();
            }
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool frmMain::endsLine(const QKeyEvent& key) const
{
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter)
        return true;
    switch (station_.Config().Suffix.Which()) {
    case ScanSuffix::Kind::Tab:
        return key.key() == Qt::Key_Tab && key.modifiers() == Qt::NoModifier;
    case ScanSuffix::Kind::LF:
    case ScanSuffix::Kind::CRLF:
        return key.text() == QLatin1String("\n") || (key.key() == Qt::Key_J && key.modifiers() == Qt::ControlModifier);
    case ScanSuffix::Kind::None:
    case ScanSuffix::Kind::CR:
        break;
    }
    return false;
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
    cmdEndEdit->setEnabled(typedWaiting_ == 0);
    station_.State().SetStatus(QStringLiteral("Type the Barcode-Label."));
}

void frmMain::cmdEndEdit_Click()
{
    const QString label = txtEtichetta->text().toUpper();
    if (label.isEmpty()) {
        // Lines still waiting are being sent: an empty one (a scanner's second line end) is
        // no wish to leave.
        if (typedWaiting_ == 0)
            endManualEntry();
        return;
    }
    // The line goes whole and the entry takes the next one at once: keys typed while this one
    // waits its turn or is processed (its pauses let them in) are kept, and the lines are
    // dispatched one after the other, in order. "OK" waits until they are all answered.
    txtEtichetta->clear();
    ++typedWaiting_;
    cmdEndEdit->setEnabled(false);
    const QPointer<frmMain> self(this);
    station_.Intake().DispatchTyped(label, [self, label](bool accepted) {
        if (self)
            self->typedLabelDone(label, accepted);
    });
}

void frmMain::typedLabelDone(const QString& label, bool accepted)
{
    --typedWaiting_;
    const bool typing = txtEtichetta->isEnabled();
    cmdEndEdit->setEnabled(typing && typedWaiting_ == 0);
    if (typing)
        txtEtichetta->setFocus();
    if (accepted)
        return;
    QApplication::beep();
    // The last line refused comes back for correction when nothing was typed since, selected,
    // so that the next label scanned replaces it.
    if (typing && typedWaiting_ == 0 && txtEtichetta->text().isEmpty()) {
        txtEtichetta->setText(label);
        txtEtichetta->selectAll();
    }
}

void frmMain::endManualEntry()
{
    txtEtichetta->clear();
    txtEtichetta->setEnabled(false);
    cmdEdit->setEnabled(true);
    cmdEndEdit->setEnabled(false);
    // Never a button: a space or Enter meant for the entry would press it.
    lstHistory->setFocus();
    station_.State().SetStatus(QStringLiteral("Ready."));
}

void frmMain::txtEtichetta_KeyReturn()
{
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
    settings.SetSuffix(config.Suffix);
    if (settings.exec() == QDialog::Accepted) {
        station_.ApplySerialSettings(settings.WorkingPort(), settings.WorkingSettings(), settings.WorkingDevice());
        station_.ApplyScanSuffix(settings.WorkingSuffix());
    }
}

void frmMain::mnuSound_Click()
{
    station_.SetSoundOn(mnuSound->isChecked());
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

void frmMain::mnuProduction_Click()
{
    ProductionReader* reader = station_.Production();
    if (!reader)
        return;
    if (!productionWindow_)
        productionWindow_ = new frmProduction(*reader, &station_.Boxes(), this);
    productionWindow_->ShowWindow();
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
