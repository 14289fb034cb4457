#include "app/windows/ScanHistoryView.h"
#include "listmgr/LinuxCncListManager.h"
#include "StationWindow.h"
#include "support/EventWait.h"
#include "support/FakeLinuxCncrsh.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/FakeSerialPort.h"
#include "support/TestEnvironment.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The main window's machine band on a station whose list manager drives a scripted linuxcncrsh.
class MachineBandTest : public testing::Test {
protected:
    MachineBandTest()
    {
        env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n");
        server = FakeLinuxCncrsh::MakeListManager(rsh);
        factory.server = server;
        w = std::make_unique<StationWindow>(Station::Services{boxes, instances, pauser, exit, {"tarvex"}, &port, nullptr, &factory});
        w->window.show();
        band = w->window.findChild<QWidget*>("machineBand");
        words = w->window.findChild<QLabel*>("lblMachine");
        history = w->window.findChild<ScanHistoryView*>("lstHistory");
    }
    ~MachineBandTest() override { w->window.close(); }

    // Start-up with the scripted linuxcncrsh already answering: the pauser lets no event run.
    bool load() { return EventWait::Until([&] { return server->IsConnected(); }) && w->window.Form_Load(); }

    QPushButton* button(const char* name) { return w->window.findChild<QPushButton*>(name); }
    // The words, or their start when they end in ": ".
    bool shows(const QString& text)
    {
        return EventWait::Until([&] { return text.endsWith(": ") ? words->text().startsWith(text) : words->text() == text; });
    }
    bool showsFault() { return shows("Fault: "); }
    void scan(const QString& label) { w->station.Intake().DispatchTyped(label, nullptr); }
    QColor colour() const { return band->palette().color(QPalette::Window); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeInstanceCounter instances;
    InstantPauser pauser;
    FakeSerialPort port;
    FakeProcessExit exit;
    FakeListManagerFactory factory;
    FakeLinuxCncrsh* rsh = nullptr;
    std::shared_ptr<LinuxCncListManager> server;
    std::unique_ptr<StationWindow> w;
    QWidget* band = nullptr;
    QLabel* words = nullptr;
    ScanHistoryView* history = nullptr;
};

TEST_F(MachineBandTest, EachStateOfTheMachineIsShownInItsWordsAndColourAndTheBandStaysPut)
{
    ASSERT_TRUE(load());
    const QColor plain = w->window.palette().color(QPalette::Window);
    ASSERT_TRUE(shows("Ready"));
    EXPECT_EQ(colour(), plain);
    const QRect bandAt = band->geometry();

    // Start, Hold and End are what the scanned commands are, and take no keyboard focus.
    for (const char* name : {"cmdStart", "cmdHold", "cmdEnd"})
        EXPECT_EQ(button(name)->focusPolicy(), Qt::NoFocus) << name;
    scan("%19PROG1 N X %");
    rsh->runPolls = 100000;
    button("cmdStart")->click();
    struct Step {
        std::function<void()> act;
        QString words;
        QColor colour;
    };
    const QColor red(0xC6, 0x28, 0x28), amber(0xFF, 0xB3, 0x00), green(0x2E, 0x7D, 0x32), grey(0x9E, 0x9E, 0x9E);
    const Step steps[] = {
        {[] {}, "Running PROG1.CNC (line 1 of 1)", green},
        {[&] { button("cmdHold")->click(); }, "Held PROG1.CNC (line 1 of 1)", amber},
        {[&] { button("cmdEnd")->click(); }, "Ready", plain},
        {[&] { rsh->estop = "ON"; }, "E-stop", red},
        {[&] { rsh->estop = "OFF", rsh->machine = "OFF"; }, "Machine off", amber},
        {[&] { rsh->machine = "ON"; }, "Ready", plain},
        {[&] { rsh->reachable = false, Q_EMIT rsh->Closed("Connection reset by peer"); }, "Not connected: ", grey},
        {[&] { rsh->reachable = true; }, "Ready", plain},
    };
    for (const Step& step : steps) {
        step.act();
        ASSERT_TRUE(shows(step.words)) << step.words.toStdString() << ", shown: " << words->text().toStdString();
        EXPECT_EQ(colour(), step.colour) << step.words.toStdString();
        EXPECT_EQ(band->geometry(), bandAt) << step.words.toStdString();
    }
}

TEST_F(MachineBandTest, AFaultStaysShownAfterTheNextScanUntilSeenAndIsInTheHistory)
{
    ASSERT_TRUE(load());
    ASSERT_TRUE(shows("Ready"));
    const auto fail = [&] {
        rsh->runErrors = {"Program file not found"};
        scan("%19PROG1 N X %");
        button("cmdStart")->click();
        return showsFault();
    };
    ASSERT_TRUE(fail());
    EXPECT_TRUE(words->text().contains("PROG1.CNC (line 1) failed: Program file not found")) << words->text().toStdString();
    const ScanHistory::Entry& entry = w->station.Processing().History().Entries().first();
    EXPECT_EQ(entry.origin, ScanHistory::Origin::Machine);
    EXPECT_TRUE(entry.outcomes.value(0).contains("Program file not found"));
    EXPECT_TRUE(history->IsMarkedRefused(0));

    // The next scan and the machine's own polls do not cover it; a click on it does.
    scan("%A1%");
    QTest::qWait(50);
    EXPECT_TRUE(words->text().startsWith("Fault: ")) << words->text().toStdString();
    EXPECT_EQ(w->station.Processing().History().Entries().value(1).origin, ScanHistory::Origin::Machine);
    QTest::mouseClick(band, Qt::LeftButton);
    EXPECT_TRUE(shows("Ready"));

    // So does the next Start.
    ASSERT_TRUE(fail());
    rsh->runErrors.clear();
    button("cmdStart")->click();
    EXPECT_TRUE(EventWait::Until([&] { return !words->text().startsWith("Fault: "); })) << words->text().toStdString();
}

} // namespace
