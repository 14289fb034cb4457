#include "app/windows/MachineBand.h"

#include "app/windows/ElidedLabel.h"
#include "station/StationState.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QPushButton>

namespace {
struct Colours {
    QColor background;
    QColor text;
};

Colours coloursOf(MachineState::Colour colour)
{
    switch (colour) {
    case MachineState::Colour::Grey:
        return {QColor(0x9E, 0x9E, 0x9E), Qt::black};
    case MachineState::Colour::Red:
        return {QColor(0xC6, 0x28, 0x28), Qt::white};
    case MachineState::Colour::Amber:
        return {QColor(0xFF, 0xB3, 0x00), Qt::black};
    case MachineState::Colour::Green:
        return {QColor(0x2E, 0x7D, 0x32), Qt::white};
    case MachineState::Colour::Plain:
        break;
    }
    return {};
}
} // namespace

MachineBand::MachineBand(StationState& state, QWidget* parent) : QFrame(parent), state_(state)
{
    setObjectName(QStringLiteral("machineBand"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    words_ = new ElidedLabel(QString(), this);
    words_->setObjectName(QStringLiteral("lblMachine"));
    QFont large = words_->font();
    large.setPointSizeF(large.pointSizeF() * 1.6);
    large.setBold(true);
    words_->setFont(large);
    detail_ = new ElidedLabel(QString(), this);
    detail_->setObjectName(QStringLiteral("lblMachineDetail"));

    start_ = button(QStringLiteral("Start"), "cmdStart", QStringLiteral("%START%"), QStringLiteral("Runs the work list, as the scanned %START%"));
    hold_ = button(QStringLiteral("Hold"), "cmdHold", QStringLiteral("%STOP%"), QStringLiteral("Holds the run, as the scanned %STOP%"));
    end_ = button(QStringLiteral("End"), "cmdEnd", QStringLiteral("%END%"), QStringLiteral("Ends the run, as the scanned %END%"));

    // The words across the whole width, beneath them what runs the list and the buttons.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setVerticalSpacing(2);
    layout->addWidget(words_, 0, 0, 1, 4);
    layout->addWidget(detail_, 1, 0);
    layout->setColumnStretch(0, 1);
    int column = 1;
    for (QPushButton* b : {start_, hold_, end_})
        layout->addWidget(b, 1, column++);
    // One line of words and one of buttons, whatever they say: the band never grows or shrinks.
    setFixedHeight(sizeHint().height());

    connect(&state_, &StationState::MachineChanged, this, &MachineBand::show);
    show(state_.Machine());
}

QString MachineBand::Caption(const MachineState& machine)
{
    QString words = machine.Words();
    if (!words.isEmpty())
        words[0] = words[0].toUpper();
    return words;
}

QPushButton* MachineBand::button(const QString& text, const char* name, const QString& label, const QString& tip)
{
    auto* b = new QPushButton(text, this);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    // A scanner typing like a keyboard must never press one with its spaces or Return.
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, label] { Q_EMIT CommandWanted(label); });
    return b;
}

void MachineBand::show(const MachineState& machine)
{
    const Colours colours = coloursOf(machine.ColourOf());
    QPalette palette = parentWidget() ? parentWidget()->palette() : QPalette();
    if (colours.background.isValid()) {
        palette.setColor(QPalette::Window, colours.background);
        palette.setColor(QPalette::WindowText, colours.text);
    }
    setPalette(palette);
    QString detail = state_.MachineName();
    if (machine.kind == MachineState::Kind::Connecting && !detail.isEmpty()) {
        words_->SetText(QStringLiteral("Connecting to %1…").arg(detail));
        if (!machine.detail.isEmpty())
            detail = QStringLiteral("Last try: ") + machine.detail;
    } else {
        words_->SetText(Caption(machine));
    }
    if (machine.kind == MachineState::Kind::Fault) {
        const QString time = machine.time.toString(QStringLiteral("HH:mm:ss"));
        // The hint first: the line may be cut at its end.
        detail = QStringLiteral("Click here when seen · %1").arg(time) + (detail.isEmpty() ? QString() : QStringLiteral(" · ") + detail);
    }
    detail_->SetText(detail);
    if (machine.kind == MachineState::Kind::Fault) {
        setCursor(Qt::PointingHandCursor);
        setToolTip(QStringLiteral("Click here once you have seen the fault; Start does the same."));
    } else {
        unsetCursor();
        setToolTip(QString());
    }
    const bool commands = machine.kind != MachineState::Kind::NoListManager;
    for (QPushButton* b : {start_, hold_, end_})
        b->setEnabled(commands);
}

void MachineBand::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        state_.AcknowledgeFault();
    QFrame::mouseReleaseEvent(event);
}
