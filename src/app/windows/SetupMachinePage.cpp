#include "app/windows/SetupMachinePage.h"

#include "app/StationSetup.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
// linuxcncrsh reads a command as words: a password or host with a blank or a control
// character would not arrive as typed.
bool oneWord(const QString& text)
{
    for (const QChar c : text) {
        if (c.isSpace() || c.unicode() < 0x20 || c.unicode() == 0x7F)
            return false;
    }
    return true;
}

QLineEdit* edit(QWidget* parent, const char* name, const QString& placeholder)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    e->setPlaceholderText(placeholder);
    return e;
}
} // namespace

SetupMachinePage::SetupMachinePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SetupMachinePage"));
    optEmbedded = new QRadioButton(QStringLiteral("&Embedded: Tarvex keeps the work list, nothing runs it"), this);
    optEmbedded->setObjectName(QStringLiteral("optEmbedded"));
    optNone = new QRadioButton(QStringLiteral("&None: lines go nowhere, as when started with NOAPP"), this);
    optNone->setObjectName(QStringLiteral("optNone"));
    optLinuxCnc = new QRadioButton(QStringLiteral("&LinuxCNC runs the work list"), this);
    optLinuxCnc->setObjectName(QStringLiteral("optLinuxCnc"));
    for (QRadioButton* option : {optEmbedded, optNone, optLinuxCnc})
        connect(option, &QRadioButton::toggled, this, &SetupMachinePage::showChoice);

    fraLinuxCnc = new QGroupBox(QStringLiteral("LinuxCNC (linuxcncrsh)"), this);
    fraLinuxCnc->setObjectName(QStringLiteral("fraLinuxCnc"));
    const LinuxCncSettings defaults;
    txtHost = edit(fraLinuxCnc, "txtHost", defaults.host);
    txtPort = edit(fraLinuxCnc, "txtPort", QString::number(defaults.port));
    txtConnectPassword = edit(fraLinuxCnc, "txtConnectPassword", defaults.connectPassword);
    txtEnablePassword = edit(fraLinuxCnc, "txtEnablePassword", defaults.enablePassword);
    for (QLineEdit* password : {txtConnectPassword, txtEnablePassword})
        password->setEchoMode(QLineEdit::PasswordEchoOnEdit);
    txtProgramFolder = edit(fraLinuxCnc, "txtProgramFolder", QStringLiteral("as LinuxCNC sees it; empty: the programs folder"));
    cmdTestConnection = new QPushButton(QStringLiteral("&Test the connection"), fraLinuxCnc);
    cmdTestConnection->setObjectName(QStringLiteral("cmdTestConnection"));
    connect(cmdTestConnection, &QPushButton::clicked, this, &SetupMachinePage::cmdTestConnection_Click);
    lblTestResult = new QLabel(fraLinuxCnc);
    lblTestResult->setObjectName(QStringLiteral("lblTestResult"));
    lblTestResult->setWordWrap(true);
    lblTestResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // Room for the longest answer from the start, so that the window does not jump when it comes.
    lblTestResult->setMinimumHeight(lblTestResult->fontMetrics().lineSpacing() * 2);
    lblTestResult->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto* form = new QFormLayout(fraLinuxCnc);
    // Host and port on one row: the page must fit a small screen at a large scale.
    auto* where = new QHBoxLayout;
    where->addWidget(txtHost, 1);
    auto* portCaption = new QLabel(QStringLiteral("&Port:"), fraLinuxCnc);
    portCaption->setBuddy(txtPort);
    where->addWidget(portCaption);
    txtPort->setMaximumWidth(txtPort->fontMetrics().horizontalAdvance(QStringLiteral("655350")) + 16);
    where->addWidget(txtPort);
    auto* hostCaption = new QLabel(QStringLiteral("&Host:"), fraLinuxCnc);
    hostCaption->setBuddy(txtHost);
    form->addRow(hostCaption, where);
    form->addRow(QStringLiteral("C&onnect password:"), txtConnectPassword);
    form->addRow(QStringLiteral("E&nable password:"), txtEnablePassword);
    form->addRow(QStringLiteral("Program &folder:"), txtProgramFolder);
    form->addRow(cmdTestConnection);
    form->addRow(lblTestResult);

    auto* restart = new QLabel(QStringLiteral("The list manager is chosen at start-up: a change here takes effect after a "
                                              "restart of Tarvex."),
                               this);
    restart->setObjectName(QStringLiteral("lblRestartMachine"));
    restart->setWordWrap(true);
    restart->setMinimumHeight(restart->fontMetrics().lineSpacing() * 2); // two lines whatever the width
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(optEmbedded);
    layout->addWidget(optNone);
    layout->addWidget(optLinuxCnc);
    layout->addWidget(fraLinuxCnc);
    layout->addWidget(restart);
    layout->addStretch();
}

SetupMachinePage::~SetupMachinePage() = default;

void SetupMachinePage::Show(const StationSetup& setup)
{
    const QString server = setup.server.trimmed();
    if (server.compare(QLatin1String("LinuxCNC"), Qt::CaseInsensitive) == 0)
        optLinuxCnc->setChecked(true);
    else if (server.compare(QLatin1String("None"), Qt::CaseInsensitive) == 0)
        optNone->setChecked(true);
    else
        optEmbedded->setChecked(true);
    txtHost->setText(setup.host);
    txtPort->setText(setup.port);
    txtConnectPassword->setText(setup.connectPassword);
    txtEnablePassword->setText(setup.enablePassword);
    txtProgramFolder->setText(setup.programFolder);
    showChoice();
}

QString SetupMachinePage::Take(StationSetup& setup) const
{
    if (optLinuxCnc->isChecked()) {
        LinuxCncSettings settings;
        const QString refusal = linuxCnc(settings);
        if (!refusal.isEmpty())
            return refusal;
    }
    const QString chosen = optLinuxCnc->isChecked() ? QStringLiteral("LinuxCNC")
                           : optNone->isChecked()   ? QStringLiteral("None")
                                                    : QStringLiteral("Embedded");
    // The choice that stands keeps its spelling, and a file that names none stays so.
    const QString standing = setup.server.trimmed().isEmpty() ? QStringLiteral("Embedded") : setup.server.trimmed();
    if (chosen.compare(standing, Qt::CaseInsensitive) != 0)
        setup.server = chosen;
    // The LinuxCNC fields are kept whichever is chosen: switching back needs no typing.
    setup.host = txtHost->text().trimmed();
    setup.port = txtPort->text().trimmed();
    setup.connectPassword = txtConnectPassword->text().trimmed();
    setup.enablePassword = txtEnablePassword->text().trimmed();
    setup.programFolder = txtProgramFolder->text().trimmed();
    return QString();
}

QString SetupMachinePage::linuxCnc(LinuxCncSettings& settings) const
{
    const QString host = txtHost->text().trimmed();
    const QString port = txtPort->text().trimmed();
    if (!oneWord(host))
        return QStringLiteral("The host is one name or address, without blanks.");
    if (!host.isEmpty())
        settings.host = host;
    if (!port.isEmpty()) {
        bool ok = false;
        const int number = port.toInt(&ok);
        if (!ok || number < 1 || number > 65535)
            return QStringLiteral("The port is a number from 1 to 65535 (linuxcncrsh's -p).");
        settings.port = static_cast<quint16>(number);
    }
    const QString connectPassword = txtConnectPassword->text().trimmed();
    const QString enablePassword = txtEnablePassword->text().trimmed();
    if (!oneWord(connectPassword) || !oneWord(enablePassword))
        return QStringLiteral("A password is one word, without blanks.");
    if (!connectPassword.isEmpty())
        settings.connectPassword = connectPassword;
    if (!enablePassword.isEmpty())
        settings.enablePassword = enablePassword;
    return QString();
}

void SetupMachinePage::showChoice()
{
    fraLinuxCnc->setEnabled(optLinuxCnc->isChecked());
}

void SetupMachinePage::cmdTestConnection_Click()
{
    LinuxCncSettings settings;
    const QString refusal = linuxCnc(settings);
    if (!refusal.isEmpty()) {
        lblTestResult->setText(refusal);
        return;
    }
    cmdTestConnection->setEnabled(false);
    lblTestResult->setText(QStringLiteral("Connecting to LinuxCNC at %1…").arg(settings.Endpoint()));
    probe_ = new LinuxCncProbe(settings, TestLimitMs, nullptr, this);
    connect(probe_, &LinuxCncProbe::Finished, this, &SetupMachinePage::probe_Finished);
    probe_->Start();
}

void SetupMachinePage::probe_Finished(const LinuxCncProbe::Result& result)
{
    lblTestResult->setText(result.text);
    cmdTestConnection->setEnabled(true);
    if (probe_)
        probe_->deleteLater();
}
