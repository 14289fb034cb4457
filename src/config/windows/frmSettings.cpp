#include "config/windows/frmSettings.h"

#include "config/TextNumber.h"
#include "platform/windows/Screen.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <utility>

namespace {
// A one-character field of the settings string read as a number; 0 when it is not a digit.
int digitAt(const QString& text, qsizetype index)
{
    return index < text.size() && text[index].isDigit() && text[index].unicode() < 128 ? text[index].digitValue() : 0;
}

void select(QRadioButton* button)
{
    button->setChecked(true);
}
} // namespace

frmSettings::frmSettings(int port, const QString& settings, const QMap<int, QString>& portDevices,
                         SerialDeviceList::Source presentDevices, QWidget* parent)
    : QDialog(parent), portDevices_(portDevices)
{
    setObjectName(QStringLiteral("frmSettings"));
    setWindowTitle(QStringLiteral("Settings"));
    setModal(true);
    buildControls();
    lstDevice->SetSource(std::move(presentDevices));
    Form_Load(port, settings);
}

QRadioButton* frmSettings::option(QGroupBox* frame, const char* name, const QString& caption, const std::function<void()>& click)
{
    auto* button = new QRadioButton(caption, frame);
    button->setObjectName(QLatin1String(name));
    connect(button, &QRadioButton::clicked, this, click);
    frame->layout()->addWidget(button);
    return button;
}

void frmSettings::buildControls()
{
    auto frame = [this](const char* name, const QString& caption) {
        auto* box = new QGroupBox(caption, this);
        box->setObjectName(QLatin1String(name));
        new QVBoxLayout(box);
        return box;
    };

    fraComPort = frame("fraComPort", QStringLiteral("&Com Port"));
    const auto choosePort = [this](qint16 port) {
        port_ = port;
        showDeviceOf(port);
    };
    optCom1 = option(fraComPort, "optCom1", QStringLiteral("Com1"), [choosePort] { choosePort(1); });
    optCom2 = option(fraComPort, "optCom2", QStringLiteral("Com2"), [choosePort] { choosePort(2); });
    optCom3 = option(fraComPort, "optCom3", QStringLiteral("Com3"), [choosePort] { choosePort(3); });
    OptCom4 = option(fraComPort, "OptCom4", QStringLiteral("Com4"), [choosePort] { choosePort(4); });
    // Which serial device the chosen port opens: no need to edit the configuration by hand.
    // Below the frames, across the dialog: the names by id are long.
    lstDevice = new SerialDeviceList(this);
    auto* lblDevice = new QLabel(QStringLiteral("&Device of the port:"), this);
    lblDevice->setBuddy(lstDevice->findChild<QWidget*>(QStringLiteral("cboDevice")));

    fraBaudRate = frame("fraBaudRate", QStringLiteral("&Baud Rate"));
    optBaud300 = option(fraBaudRate, "optBaud300", QStringLiteral("300"), [this] { baud_ = 300; });
    optBaud1200 = option(fraBaudRate, "optBaud1200", QStringLiteral("1200"), [this] { baud_ = 1200; });
    optBaud2400 = option(fraBaudRate, "optBaud2400", QStringLiteral("2400"), [this] { baud_ = 2400; });
    optBaud4800 = option(fraBaudRate, "optBaud4800", QStringLiteral("4800"), [this] { baud_ = 4800; });
    optBaud9600 = option(fraBaudRate, "optBaud9600", QStringLiteral("9600"), [this] { baud_ = 9600; });
    optBaud19200 = option(fraBaudRate, "optBaud19200", QStringLiteral("19200"), [this] { baud_ = 19200; });
    optBaud38400 = option(fraBaudRate, "optBaud38400", QStringLiteral("38400"), [this] { baud_ = 38400; });
    optBaud57600 = option(fraBaudRate, "optBaud57600", QStringLiteral("57600"), [this] { baud_ = 57600; });

    fraParity = frame("fraParity", QStringLiteral("&Parity"));
    optParityNone = option(fraParity, "optParityNone", QStringLiteral("None"), [this] { parity_ = QStringLiteral("N"); });
    optParityOdd = option(fraParity, "optParityOdd", QStringLiteral("Odd"), [this] { parity_ = QStringLiteral("O"); });
    optParityEven = option(fraParity, "optParityEven", QStringLiteral("Even"), [this] { parity_ = QStringLiteral("E"); });

    fraDataBits = frame("fraDataBits", QStringLiteral("&Data Bits"));
    optDataBits7 = option(fraDataBits, "optDataBits7", QStringLiteral("7"), [this] { dataBits_ = 7; });
    optDataBits8 = option(fraDataBits, "optDataBits8", QStringLiteral("8"), [this] { dataBits_ = 8; });

    fraStopBits = frame("fraStopBits", QStringLiteral("&Stop Bits"));
    optStopBits1 = option(fraStopBits, "optStopBits1", QStringLiteral("1"), [this] { stopBits_ = 1; });
    optStopBits2 = option(fraStopBits, "optStopBits2", QStringLiteral("2"), [this] { stopBits_ = 2; });

    lblProblem = new QLabel(this);
    lblProblem->setObjectName(QStringLiteral("lblProblem"));
    lblProblem->setWordWrap(true);
    QPalette warning = lblProblem->palette();
    warning.setColor(QPalette::WindowText, QColor(176, 0, 32));
    lblProblem->setPalette(warning);
    lblProblem->hide();

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    connect(cmdOK, &QPushButton::clicked, this, &frmSettings::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmSettings::cmdCancel_Click);

    auto* frames = new QGridLayout;
    frames->addWidget(fraComPort, 0, 0);
    frames->addWidget(fraBaudRate, 0, 1, 3, 1);
    frames->addWidget(fraParity, 0, 2);
    frames->addWidget(fraDataBits, 1, 0);
    frames->addWidget(fraStopBits, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* device = new QHBoxLayout;
    device->addWidget(lblDevice);
    device->addWidget(lstDevice, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(frames);
    layout->addLayout(device);
    layout->addWidget(lblProblem);
    layout->addLayout(buttons);
}

void frmSettings::Form_Load(int port, const QString& settings)
{
    port_ = static_cast<qint16>(port);
    switch (port_) {
    case 1: select(optCom1); break;
    case 2: select(optCom2); break;
    case 3: select(optCom3); break;
    case 4: select(OptCom4); break;
    default: break;
    }
    showDeviceOf(port_);

    // Read by position: baud before the first comma; after it parity, data bits and stop bits
    // are the 1st, 3rd and 5th characters. A field that is not there or not readable takes its
    // default, so OK always stores a well-formed string.
    const qsizetype comma = settings.indexOf(QLatin1Char(','));
    const QString rest = comma >= 0 ? settings.mid(comma + 1) : QString();

    const double baud = TextNumber::Value(comma >= 0 ? settings.left(comma) : settings);
    baud_ = baud >= 1 && baud <= 2147483647.0 ? static_cast<qint32>(baud) : 9600;
    const struct {
        qint32 rate;
        QRadioButton* button;
    } bauds[] = {{300, optBaud300},     {1200, optBaud1200},   {2400, optBaud2400},   {4800, optBaud4800},
                 {9600, optBaud9600},   {19200, optBaud19200}, {38400, optBaud38400}, {57600, optBaud57600}};
    for (const auto& b : bauds) {
        if (b.rate == baud_)
            select(b.button);
    }

    parity_ = rest.left(1);
    if (parity_.isEmpty() || !parity_[0].isLetter())
        parity_ = QStringLiteral("N");
    if (parity_ == QLatin1String("N"))
        select(optParityNone);
    else if (parity_ == QLatin1String("O"))
        select(optParityOdd);
    else if (parity_ == QLatin1String("E"))
        select(optParityEven);

    dataBits_ = static_cast<qint16>(digitAt(rest, 2));
    if (dataBits_ == 0)
        dataBits_ = 8;
    if (dataBits_ == 7)
        select(optDataBits7);
    else if (dataBits_ == 8)
        select(optDataBits8);

    stopBits_ = static_cast<qint16>(digitAt(rest, 4));
    if (stopBits_ == 0)
        stopBits_ = 1;
    if (stopBits_ == 1)
        select(optStopBits1);
    else if (stopBits_ == 2)
        select(optStopBits2);

    adjustSize();
    Screen::CenterForm(*this);
}

void frmSettings::showDeviceOf(int port)
{
    lstDevice->SetDevice(portDevices_.value(port));
    lblProblem->hide();
}

QString frmSettings::WorkingDevice() const
{
    const QString chosen = lstDevice->Device();
    return chosen == portDevices_.value(port_) ? QString() : chosen;
}

QString frmSettings::WorkingSettings() const
{
    return QString::number(baud_) + QLatin1Char(',') + parity_ + QLatin1Char(',') + QString::number(dataBits_) +
           QLatin1Char(',') + QString::number(stopBits_);
}

void frmSettings::cmdOK_Click()
{
    // Without a port (no configuration file yet) there is nothing to open or save.
    if (port_ < 1) {
        lblProblem->setText(QStringLiteral("Choose the port the scanner is on (Com1 to Com4) and the device it opens, then OK."));
        lblProblem->show();
        return;
    }
    accept();
}

void frmSettings::cmdCancel_Click()
{
    reject();
}
