#pragma once

#include "app/StationSetup.h"

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;
class QStackedWidget;
class SetupFoldersPage;
class SetupMachinePage;
class SetupScannerPage;

// The station's setup: at the first start, the scanner, the folders and the machine control one
// page after the other (Back, Next, Finish); later, from the Options menu, the folders or the
// machine control alone (Save). Finish or Save hands what was chosen to Save, which writes only
// the keys that changed; the window stays open, saying why, when a choice cannot be taken or
// saved. Cancel saves nothing.
class frmSetup : public QDialog {
    Q_OBJECT
public:
    enum class Pages { FirstStart, Folders, MachineControl };
    // before: the setup as the file has it. presentDevices: the serial devices there now.
    frmSetup(Pages pages, const StationSetup& before, std::function<QStringList()> presentDevices, QWidget* parent = nullptr);

    // Writes the setup chosen; why it could not be, or empty text.
    std::function<QString(const StationSetup& after)> Save;

    // The page shown, and the setup as chosen so far (for tests and pictures).
    QWidget* CurrentPage() const;
    SetupMachinePage* MachinePage() const { return machine_; }

private:
    void go(int step);
    void cmdFinish_Click();
    // Takes every page's choice into after_; false (with the reason shown) when one cannot be.
    bool take(QWidget* page);
    void showStep();

    Pages pages_;
    StationSetup before_;
    StationSetup after_;
    SetupScannerPage* scanner_ = nullptr;
    SetupFoldersPage* folders_ = nullptr;
    SetupMachinePage* machine_ = nullptr;
    QStackedWidget* stkPages;
    QLabel* lblTitle;
    QLabel* lblMessage;
    QPushButton* cmdBack;
    QPushButton* cmdNext;
    QPushButton* cmdFinish;
    QPushButton* cmdCancel;
};
