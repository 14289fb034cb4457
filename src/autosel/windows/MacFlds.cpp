#include "autosel/windows/MacFlds.h"

#include "autosel/AutoSelectCheck.h"
#include "autosel/windows/FieldCodeBox.h"
#include "autosel/windows/MachineTableSchematic.h"
#include "platform/Log.h"
#include "platform/windows/Screen.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {
using Source = AutoSelectRules::Source;

template <typename T>
T* named(T* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// Where each field lies on the table, in table coordinates (x left to right, y back to front):
// N and M take the whole length from the left and from the right reference; S and A the left
// part, T and R the right part, normal from the outer pins and mirrored from the inner ones.
struct Placement {
    const char* letter;
    qreal x;
    const char* where;
};
// A tab's content scrolls when the screen leaves it less room than it needs (a large scale
// factor on a small screen), so that the buttons under the tabs are always reachable.
QScrollArea* scrolled(QWidget* page)
{
    auto* area = new QScrollArea;
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setWidget(page);
    return area;
}

const Placement lengthwise[] = {{"N", 0.125, "whole length, normal"},  {"M", 0.875, "whole length, mirrored"},
                                {"S", 0.125, "left part, normal"},     {"A", 0.375, "left part, mirrored"},
                                {"T", 0.625, "right part, normal"},    {"R", 0.875, "right part, mirrored"}};
} // namespace

MacFlds::MacFlds(AutoSelectRules& rules, const QStringList& fieldCodes, const QString& lastProgramName,
                 const QString& lastComment, QWidget* parent)
    : QDialog(parent), rules_(rules), fieldCodes_(fieldCodes), lastProgramName_(lastProgramName), lastComment_(lastComment)
{
    setObjectName(QStringLiteral("MacFlds"));
    setWindowTitle(QStringLiteral("Automatic Field Selection Setup"));
    setModal(true);

    // Made first, so that it comes first in the tab order.
    TabSetup = named(new QTabWidget(this), "TabSetup");
    TabSetup->addTab(scrolled(buildAutoSelectTab()), QStringLiteral("Auto Field Select"));
    TabSetup->addTab(scrolled(buildStandardTab()), QStringLiteral("Standard Fields"));
    TabSetup->addTab(scrolled(buildFrontBackTab()), QStringLiteral("Front and Back"));
    TabSetup->addTab(scrolled(buildLimitsTab()), QStringLiteral("Field Limits"));
    connect(TabSetup, &QTabWidget::currentChanged, this, &MacFlds::TabSetup_Click);

    BtnClearAll = named(new QPushButton(QStringLiteral("Clear All"), this), "BtnClearAll");
    BtnClearAll->setToolTip(QStringLiteral("Disable all fields on this tab"));
    BtnClearAll->setAutoDefault(false);
    BtnClearAll->hide();
    BtnSetAll = named(new QPushButton(QStringLiteral("Set All"), this), "BtnSetAll");
    BtnSetAll->setToolTip(QStringLiteral("Enable all fields on this tab"));
    BtnSetAll->setAutoDefault(false);
    BtnSetAll->hide();
    BtnOK = named(new QPushButton(QStringLiteral("OK"), this), "BtnOK");
    BtnOK->setToolTip(QStringLiteral("Exit and keep changes"));
    BtnOK->setDefault(true);
    BtnCan = named(new QPushButton(QStringLiteral("Cancel"), this), "BtnCan");
    BtnCan->setToolTip(QStringLiteral("Exit and loose changes"));
    BtnCan->setAutoDefault(false);
    connect(BtnClearAll, &QPushButton::clicked, this, &MacFlds::BtnClearAll_Click);
    connect(BtnSetAll, &QPushButton::clicked, this, &MacFlds::BtnSetAll_Click);
    connect(BtnOK, &QPushButton::clicked, this, &MacFlds::BtnOK_Click);
    connect(BtnCan, &QPushButton::clicked, this, &MacFlds::BtnCan_Click);

    // Why OK did not close the dialog, above the buttons, where the operator looks.
    lblProblem = named(new QLabel(this), "lblProblem");
    lblProblem->setWordWrap(true);
    lblProblem->setTextFormat(Qt::PlainText);
    QPalette warning = lblProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(176, 0, 32));
    lblProblem->setPalette(warning);
    lblProblem->hide();

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnClearAll);
    buttons->addWidget(BtnSetAll);
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCan);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(TabSetup, 1);
    layout->addWidget(lblProblem);
    layout->addLayout(buttons);
    resize(720, 560);

    Form_Load();
}

QWidget* MacFlds::buildAutoSelectTab()
{
    auto* page = new QWidget;
    MPName = named(new QRadioButton(QStringLiteral("Program Name"), page), "MPName");
    MCmt = named(new QRadioButton(QStringLiteral("Comment"), page), "MCmt");
    MBC = named(new QRadioButton(QStringLiteral("Barcode"), page), "MBC");
    MBC->setChecked(true);
    MBC->setToolTip(QStringLiteral("The mirror flag is the one the scan carries"));

    fraMirror = named(new QGroupBox(QStringLiteral("Mirror"), page), "fraMirror");
    fraOnMatch = named(new QGroupBox(QStringLiteral("On Match Produce: "), fraMirror), "fraOnMatch");
    MSel = named(new QRadioButton(QStringLiteral("Mirror"), fraOnMatch), "MSel");
    NMSel = named(new QRadioButton(QStringLiteral("Norm and Mirror"), fraOnMatch), "NMSel");
    MSel->setChecked(true);
    auto* onMatch = new QVBoxLayout(fraOnMatch);
    onMatch->addWidget(MSel);
    onMatch->addWidget(NMSel);
    onMatch->addStretch();

    FrameTSet = named(new QGroupBox(QStringLiteral("Set Characters to Trigger Mirror "), fraMirror), "FrameTSet");
    LabDispStr = named(new QLabel(QStringLiteral("????????????????????????"), FrameTSet), "LabDispStr");
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSizeF(fixed.pointSizeF() * 1.25);
    LabDispStr->setFont(fixed);
    LabDispStr->setFrameShape(QFrame::Panel);
    LabDispStr->setFrameShadow(QFrame::Sunken);
    LabDispStr->setToolTip(QStringLiteral("Double-click to see the last program name or comment scanned"));
    // Room for the comment's 25 characters, so that the scroll bar below lines up with them.
    const int displayWidth = QFontMetrics(fixed).horizontalAdvance(QString(AutoSelectRules::CommentWidth, QLatin1Char('?'))) +
                             2 * LabDispStr->frameWidth() + 4;
    LabDispStr->setFixedWidth(displayWidth);
    LabDispStr->installEventFilter(this);

    PosScroll = named(new QScrollBar(Qt::Horizontal, FrameTSet), "PosScroll");
    PosScroll->setRange(1, AutoSelectRules::ProgramNameWidth);
    PosScroll->setPageStep(1);
    PosScroll->setFixedWidth(displayWidth);
    PosScroll->setToolTip(QStringLiteral("Position of the trigger characters"));
    PosDispLeft = named(new QLabel(FrameTSet), "PosDispLeft");
    PosDispRight = named(new QLabel(FrameTSet), "PosDispRight");
    PosDispRight->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PosDispRight->hide();
    MSpec = named(new QLineEdit(FrameTSet), "MSpec");
    MSpec->setToolTip(QStringLiteral("The characters that make a program mirrored; a trigger starting with * matches every text"));
    OptAlnL = named(new QRadioButton(QStringLiteral("From Left"), FrameTSet), "OptAlnL");
    OptAlnR = named(new QRadioButton(QStringLiteral("From Right"), FrameTSet), "OptAlnR");
    OptAlnL->setChecked(true);

    auto* positions = new QHBoxLayout;
    positions->addWidget(PosDispLeft);
    positions->addStretch();
    positions->addWidget(PosDispRight);
    auto* alignment = new QHBoxLayout;
    alignment->addWidget(OptAlnL);
    alignment->addWidget(OptAlnR);
    alignment->addStretch();
    auto* trigger = new QGridLayout(FrameTSet);
    trigger->addWidget(LabDispStr, 0, 0, 1, 2);
    trigger->addWidget(PosScroll, 1, 0, 1, 2);
    trigger->addLayout(positions, 2, 0, 1, 2);
    trigger->addWidget(new QLabel(QStringLiteral("Characters:"), FrameTSet), 3, 0);
    trigger->addWidget(MSpec, 3, 1);
    trigger->addLayout(alignment, 4, 0, 1, 2);
    trigger->setColumnStretch(1, 1);

    auto* mirror = new QHBoxLayout(fraMirror);
    mirror->addWidget(fraOnMatch);
    mirror->addWidget(FrameTSet, 1);

    fraDefault = named(new QGroupBox(QStringLiteral("Default Field"), page), "fraDefault");
    DFN = named(new QLineEdit(fraDefault), "DFN");
    DFN->setMaxLength(AutoSelectRules::CodeLimit(QStringLiteral("DFN")));
    DFN->setFixedWidth(DFN->fontMetrics().horizontalAdvance(QStringLiteral("WWWW")) + 8);
    DFN->setToolTip(QStringLiteral("Field code of a label's line when no field was chosen; empty for none"));
    auto* defaults = new QHBoxLayout(fraDefault);
    defaults->addWidget(new QLabel(QStringLiteral("Field code when none was chosen:"), fraDefault));
    defaults->addWidget(DFN);
    defaults->addStretch();

    auto* sources = new QHBoxLayout;
    sources->addWidget(new QLabel(QStringLiteral("Trigger source:"), page));
    sources->addWidget(MPName);
    sources->addWidget(MCmt);
    sources->addWidget(MBC);
    sources->addStretch();
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(sources);
    layout->addWidget(fraMirror);
    layout->addWidget(fraDefault);
    layout->addStretch();

    for (QRadioButton* option : {MPName, MCmt, MBC, MSel, NMSel}) {
        // The shown rule goes to its store before the selection changes, by mouse or by keys.
        option->installEventFilter(this);
        connect(option, &QRadioButton::toggled, this, &MacFlds::option_Click);
    }
    connect(MSpec, &QLineEdit::textChanged, this, &MacFlds::MSpec_Change);
    connect(PosScroll, &QScrollBar::valueChanged, this, &MacFlds::PosScroll_Change);
    connect(OptAlnL, &QRadioButton::toggled, this, &MacFlds::OptAlnL_Click);
    connect(OptAlnR, &QRadioButton::toggled, this, &MacFlds::OptAlnR_Click);
    connect(DFN, &QLineEdit::textChanged, this, &MacFlds::DFN_Change);
    return page;
}

FieldCodeBox* MacFlds::fieldBox(const QString& suffix, const QString& toolTip)
{
    auto* box = new FieldCodeBox(rules_, suffix, toolTip);
    connect(box->Code(), &QLineEdit::textChanged, this, &MacFlds::recheck);
    return box;
}

QWidget* MacFlds::schematicPage(QWidget* page, QWidget* table, const QString& legendText)
{
    auto* legend = new QLabel(legendText, page);
    legend->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(table, 1);
    layout->addWidget(legend);
    return page;
}

QWidget* MacFlds::buildStandardTab()
{
    auto* page = new QWidget;
    auto* table = new MachineTableSchematic(MachineTableSchematic::Split::LeftRight, page);
    for (const Placement& p : lengthwise) {
        const QString suffix = QStringLiteral("SF") + QLatin1String(p.letter);
        FieldCodeBox* box = fieldBox(suffix, QStringLiteral("Standard field %1: %2").arg(QLatin1String(p.letter), QLatin1String(p.where)));
        const bool wholeLength = suffix == QLatin1String("SFN") || suffix == QLatin1String("SFM");
        table->Place(box, QPointF(p.x, wholeLength ? 0.28 : 0.72));
        standardBoxes_.push_back(box);
    }
    return schematicPage(page, table,
                         QStringLiteral("N and M use the whole table, normal and mirrored, and are always allowed.  "
                                        "S and T use the left and the right half, normal; A and R the same halves, "
                                        "mirrored.  Tick a field to let the automatic selection choose it."));
}

QWidget* MacFlds::buildFrontBackTab()
{
    auto* page = new QWidget;
    auto* table = new MachineTableSchematic(MachineTableSchematic::Split::FourQuarters, page);
    // Rows from the back edge to the front edge: whole length and parts of the back half, then
    // parts and whole length of the front half.
    for (const char* zone : {"BF", "FF"}) {
        const bool back = zone[0] == 'B';
        for (const Placement& p : lengthwise) {
            const QString suffix = QLatin1String(zone) + QLatin1String(p.letter);
            const bool wholeLength = p.letter[0] == 'N' || p.letter[0] == 'M';
            const qreal y = back ? (wholeLength ? 0.13 : 0.37) : (wholeLength ? 0.87 : 0.63);
            FieldCodeBox* box = fieldBox(suffix, QStringLiteral("%1 field %2: %3")
                                                     .arg(back ? QStringLiteral("Back") : QStringLiteral("Front"),
                                                          QLatin1String(p.letter), QLatin1String(p.where)));
            table->Place(box, QPointF(p.x, y));
            frontBackBoxes_.push_back(box);
        }
    }
    return schematicPage(page, table,
                         QStringLiteral("In each of the back and the front half: N and M use the whole length, normal "
                                        "and mirrored; S and T the left and the right part, normal; A and R the same "
                                        "parts, mirrored."));
}

QWidget* MacFlds::buildLimitsTab()
{
    auto* page = new QWidget;
    HlfLimX = named(new QLineEdit(page), "HlfLimX");
    HlfLimY = named(new QLineEdit(page), "HlfLimY");
    for (QLineEdit* limit : {HlfLimX, HlfLimY})
        limit->setFixedWidth(limit->fontMetrics().horizontalAdvance(QStringLiteral("000000000000")));
    connect(HlfLimX, &QLineEdit::textChanged, this, &MacFlds::HlfLimX_Change);
    connect(HlfLimY, &QLineEdit::textChanged, this, &MacFlds::HlfLimY_Change);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Half-table limit X (mm):"), HlfLimX);
    form->addRow(QStringLiteral("Half-table limit Y (mm):"), HlfLimY);
    auto* note = new QLabel(QStringLiteral("A piece goes on half of the table only when its size is below the limit: "
                                           "along X for the left and right halves, along Y for the back and front "
                                           "halves, along both for their parts."),
                            page);
    note->setWordWrap(true);
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(form);
    layout->addWidget(note);
    layout->addStretch();
    return page;
}

void MacFlds::Form_Load()
{
    Screen::FitForm(*this);
    Screen::CenterFormOnScreen(*this);
    rules_.Load();
    showRules();
}

void MacFlds::showRules()
{
    syncing_ = true;
    for (auto* boxes : {&standardBoxes_, &frontBackBoxes_}) {
        for (FieldCodeBox* box : *boxes)
            box->ShowEntry();
    }
    const QString defaultCode = rules_.Field(QStringLiteral("DFN")).Code;
    DFN->setMaxLength(qMax<int>(AutoSelectRules::CodeLimit(QStringLiteral("DFN")), static_cast<int>(defaultCode.size())));
    DFN->setText(defaultCode);
    HlfLimX->setText(rules_.HalfLimitX());
    HlfLimY->setText(rules_.HalfLimitY());
    switch (rules_.TriggerSource()) {
    case Source::ProgramName:
        MPName->setChecked(true);
        break;
    case Source::Comment:
        MCmt->setChecked(true);
        break;
    case Source::Barcode:
        MBC->setChecked(true);
        break;
    }
    (rules_.ShownMirror() ? MSel : NMSel)->setChecked(true);
    syncing_ = false;
    SetAutoSel();
    PlaceText();
}

void MacFlds::GetAutoSel()
{
    MirrorTriggerRule* rule = rules_.ActiveRule();
    if (!rule)
        return;
    rule->Alignment = OptAlnL->isChecked() ? MirrorTriggerRule::FromLeftAlignment : 0;
    // A trigger as wide as the display leaves the scroll bar no range to show the position in.
    if (rules_.ScrollMaximum() >= 1)
        rule->Position = static_cast<qint16>(PosScroll->value());
    rule->Text = MSpec->text();
    rules_.StoreShownOutcome();
}

void MacFlds::SetAutoSel()
{
    MirrorTriggerRule* rule = rules_.ActiveRule();
    if (!rule)
        return;
    const bool wasSyncing = syncing_;
    syncing_ = true;
    if (rule->Alignment != 0)
        OptAlnL->setChecked(true);
    if (rule->Alignment != MirrorTriggerRule::FromLeftAlignment)
        OptAlnR->setChecked(true);
    // The position is kept within this rule's own range, not the range of the rule shown before:
    // switching between rules must not cut the position of the rule switched to.
    rules_.UpdateScrollMaximum();
    rules_.ShowActiveRule();
    syncScroll();
    MSpec->setText(rule->Text);
    syncing_ = wasSyncing;
}

void MacFlds::PlaceText()
{
    const MirrorTriggerRule* rule = rules_.ActiveRule();
    for (QWidget* w : std::initializer_list<QWidget*>{FrameTSet, PosScroll, LabDispStr, MSpec, PosDispLeft, PosDispRight})
        w->setEnabled(rule != nullptr);
    if (!rule)
        return;

    rules_.UpdateScrollMaximum();
    syncScroll();
    const int width = AutoSelectRules::DisplayWidth(rules_.TriggerSource());
    const int maximum = rules_.ScrollMaximum();
    const int value = rule->Position;
    QString display(width - 1, QLatin1Char('?'));
    if (value > display.size())
        return; // the display and the labels keep what they showed
    // The trigger overwrites the template from its position on; the display never grows.
    const QString& text = rule->Text;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype at = value - 1 + i;
        if (at >= display.size())
            break;
        if (at >= 0)
            display[at] = text[i];
    }
    LabDispStr->setText(display);
    PosDispLeft->setText(QString::number(value) + QStringLiteral(" From Left"));
    PosDispRight->setText(QString::number(maximum + 1 - value) + QStringLiteral(" From Right"));
    PosDispLeft->setVisible(OptAlnL->isChecked());
    PosDispRight->setVisible(!OptAlnL->isChecked());
}

void MacFlds::syncScroll()
{
    const QSignalBlocker block(PosScroll);
    PosScroll->setRange(1, qMax(1, rules_.ScrollMaximum()));
    if (const MirrorTriggerRule* rule = rules_.ActiveRule())
        PosScroll->setValue(rule->Position);
}

AutoSelectRules::Source MacFlds::selectedSource() const
{
    if (MPName->isChecked())
        return Source::ProgramName;
    if (MCmt->isChecked())
        return Source::Comment;
    return Source::Barcode;
}

void MacFlds::option_Click(bool checked)
{
    if (!checked || syncing_)
        return;
    // The rules still hold the selection shown until now: its rule is stored before the switch.
    GetAutoSel();
    rules_.SetTriggerSource(selectedSource());
    rules_.SetShownMirror(MSel->isChecked());
    SetAutoSel();
    PlaceText();
    // Another source or rule can make the trigger text fit, or no longer fit.
    recheck();
}

void MacFlds::MSpec_Change(const QString& text)
{
    MirrorTriggerRule* rule = rules_.ActiveRule();
    if (rule && !syncing_)
        rule->Text = text;
    PlaceText();
    recheck();
}

void MacFlds::PosScroll_Change(int value)
{
    MirrorTriggerRule* rule = rules_.ActiveRule();
    if (!rule || syncing_)
        return;
    rule->Position = static_cast<qint16>(value);
    PlaceText();
}

void MacFlds::OptAlnL_Click(bool checked)
{
    if (!checked)
        return;
    if (MirrorTriggerRule* rule = rules_.ActiveRule(); rule && !syncing_)
        rule->Alignment = MirrorTriggerRule::FromLeftAlignment;
    PlaceText();
}

void MacFlds::OptAlnR_Click(bool checked)
{
    if (!checked)
        return;
    if (MirrorTriggerRule* rule = rules_.ActiveRule(); rule && !syncing_)
        rule->Alignment = 0;
    PlaceText();
}

void MacFlds::LabDispStr_DblClick()
{
    if (MPName->isChecked())
        LabDispStr->setText(lastProgramName_);
    else if (MCmt->isChecked())
        LabDispStr->setText(lastComment_);
}

void MacFlds::DFN_Change(const QString& text)
{
    if (!syncing_)
        rules_.SetFieldCode(QStringLiteral("DFN"), text);
    recheck();
}

void MacFlds::HlfLimX_Change(const QString& text)
{
    if (!syncing_)
        rules_.SetHalfLimitX(text);
    recheck();
}

void MacFlds::HlfLimY_Change(const QString& text)
{
    if (!syncing_)
        rules_.SetHalfLimitY(text);
    recheck();
}

const std::vector<FieldCodeBox*>* MacFlds::boxesOfCurrentTab() const
{
    switch (TabSetup->currentIndex()) {
    case 1:
        return &standardBoxes_;
    case 2:
        return &frontBackBoxes_;
    default:
        return nullptr;
    }
}

void MacFlds::TabSetup_Click(int)
{
    const bool fieldTab = boxesOfCurrentTab() != nullptr;
    BtnClearAll->setVisible(fieldTab);
    BtnSetAll->setVisible(fieldTab);
}

void MacFlds::BtnSetAll_Click()
{
    if (const auto* boxes = boxesOfCurrentTab()) {
        for (FieldCodeBox* box : *boxes)
            box->SetEnabled(true);
    }
}

void MacFlds::BtnClearAll_Click()
{
    if (const auto* boxes = boxesOfCurrentTab()) {
        for (FieldCodeBox* box : *boxes)
            box->SetEnabled(false);
    }
}

void MacFlds::BtnOK_Click()
{
    GetAutoSel();
    // A value that cannot be used is neither kept nor saved: the dialog stays open on it.
    const AutoSelectCheck::Finding finding = AutoSelectCheck::FirstUnusable(rules_, fieldCodes_);
    if (finding.value != AutoSelectCheck::Value::None) {
        Log::Warning(QStringLiteral("automatic field selection not kept: ") + finding.message);
        showProblem(finding.message);
        QLineEdit* edit = finding.value == AutoSelectCheck::Value::TriggerText ? MSpec
                          : finding.value == AutoSelectCheck::Value::HalfLimitX ? HlfLimX
                          : finding.value == AutoSelectCheck::Value::HalfLimitY ? HlfLimY
                                                                                 : findChild<QLineEdit*>(finding.field);
        for (int i = 0; i < TabSetup->count(); ++i) {
            if (TabSetup->widget(i)->isAncestorOf(edit)) {
                TabSetup->setCurrentIndex(i);
                static_cast<QScrollArea*>(TabSetup->widget(i))->ensureWidgetVisible(edit);
            }
        }
        edit->setFocus();
        edit->selectAll();
        return;
    }
    opened_.reset();
    accept();
}

void MacFlds::showProblem(const QString& message)
{
    lblProblem->setText(message);
    lblProblem->setVisible(!message.isEmpty());
}

void MacFlds::recheck()
{
    // Once told, the message follows the operator's corrections and goes when all is well.
    if (!lblProblem->isHidden())
        showProblem(AutoSelectCheck::FirstUnusable(rules_, fieldCodes_).message);
}

void MacFlds::BtnCan_Click()
{
    reject();
}

void MacFlds::reject()
{
    showProblem(QString());
    if (opened_) {
        rules_.Restore(*opened_);
        opened_.reset();
        showRules();
        Log::Info(QStringLiteral("automatic field selection: edits cancelled, the settings are as before"));
    }
    QDialog::reject();
}

void MacFlds::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    opened_ = rules_.TakeSnapshot();
    showProblem(QString());
    TabSetup->setFocus();
}

bool MacFlds::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == LabDispStr && event->type() == QEvent::MouseButtonDblClick) {
        LabDispStr_DblClick();
        return true;
    }
    if (event->type() == QEvent::MouseButtonPress &&
        (watched == MPName || watched == MCmt || watched == MBC || watched == MSel || watched == NMSel))
        GetAutoSel();
    return QDialog::eventFilter(watched, event);
}
