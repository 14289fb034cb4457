#include "LinuxCncSim.h"
#include "listmgr/LinuxCncProbe.h"
#include "support/TestEnvironment.h"

#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// "Test the connection" of the setup window, against the real linuxcncrsh of the simulation.
LinuxCncProbe::Result probe(quint16 port, const QString& connectPassword = QString())
{
    LinuxCncSettings settings;
    settings.port = port;
    if (!connectPassword.isEmpty())
        settings.connectPassword = connectPassword;
    LinuxCncProbe probe(settings, 10000);
    LinuxCncProbe::Result result{LinuxCncProbe::Outcome::Failed, QStringLiteral("no answer at all")};
    QEventLoop loop;
    QObject::connect(&probe, &LinuxCncProbe::Finished, &loop, [&](const LinuxCncProbe::Result& r) {
        result = r;
        loop.quit();
    });
    QTimer::singleShot(20000, &loop, &QEventLoop::quit); // the probe's own limit comes first
    probe.Start();
    loop.exec();
    return result;
}

TEST(LinuxCncProbeTest, TheConnectionTestSaysWhatItFound)
{
    TestEnvironment env; // the journal of the test goes there
    LinuxCncSim& sim = LinuxCncSim::Instance();
    ASSERT_TRUE(sim.Running()) << "the LinuxCNC simulation did not start";
    ASSERT_TRUE(sim.Reset()) << sim.Output().toStdString();

    LinuxCncProbe::Result r = probe(sim.Port());
    EXPECT_EQ(r.outcome, LinuxCncProbe::Outcome::Connected) << r.text.toStdString();
    EXPECT_TRUE(r.text.endsWith("the machine is on and idle.")) << r.text.toStdString();

    r = probe(sim.Port(), QStringLiteral("NOTEMC"));
    EXPECT_EQ(r.outcome, LinuxCncProbe::Outcome::WrongPassword) << r.text.toStdString();

    ASSERT_TRUE(sim.EStop());
    r = probe(sim.Port());
    EXPECT_EQ(r.outcome, LinuxCncProbe::Outcome::EStop) << r.text.toStdString();
    EXPECT_EQ(sim.Get("get estop"), "ESTOP ON"); // the test changes nothing on the machine
    ASSERT_TRUE(sim.Reset());
}

} // namespace
