#pragma once

#include "listmgr/LinuxCncProbe.h"

#include <QPointer>
#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class StationSetup;

// The setup's machine control: the list manager the station runs (the embedded one, none, or
// LinuxCNC with where it listens and its passwords), and a test of the LinuxCNC connection that
// says what it found while the window stays live.
class SetupMachinePage : public QWidget {
    Q_OBJECT
public:
    explicit SetupMachinePage(QWidget* parent = nullptr);
    ~SetupMachinePage() override;

    void Show(const StationSetup& setup);
    // Puts the page's choice into setup; why it cannot be taken, or empty text.
    QString Take(StationSetup& setup) const;

    // The connection test's limit (tests make it short).
    int TestLimitMs = 10000;

private:
    void cmdTestConnection_Click();
    void probe_Finished(const LinuxCncProbe::Result& result);
    void showChoice();
    // The LinuxCNC fields checked and read; why they cannot be used, or empty text.
    QString linuxCnc(LinuxCncSettings& settings) const;

    QRadioButton* optEmbedded;
    QRadioButton* optNone;
    QRadioButton* optLinuxCnc;
    QGroupBox* fraLinuxCnc;
    QLineEdit* txtHost;
    QLineEdit* txtPort;
    QLineEdit* txtConnectPassword;
    QLineEdit* txtEnablePassword;
    QLineEdit* txtProgramFolder;
    QPushButton* cmdTestConnection;
    QLabel* lblTestResult;
    QPointer<LinuxCncProbe> probe_;
};
