#include "config/Configuration.h"
#include "platform/DetachedProcessStarter.h"
#include "program/EditorLauncher.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessStarter.h"
#include "support/TestEnvironment.h"

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <gtest/gtest.h>

namespace {

class EditorLauncherTest : public testing::Test {
protected:
    EditorLauncherTest()
    {
        config.GCodePath = "C:\\KARN\\PRODUCT\\";
    }
    QString editor() const { return env.DataFolder() + "/drive_c/veltra/bin/Pramix.exe"; }
    QString program(const QString& name) const { return env.DataFolder() + "/drive_c/KARN/PRODUCT/" + name; }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    Configuration config{boxes};
    QString programName = " P1.CNC ";
    FakeProcessStarter processes;
    EditorLauncher launcher{config, processes};
};

TEST_F(EditorLauncherTest, StartsTheEditorWithTheProgramFileAndAgainOnceItWasClosed)
{
    launcher.LaunchEditor(programName);
    ASSERT_EQ(processes.started.size(), 1);
    EXPECT_EQ(processes.started[0].program, editor());
    EXPECT_EQ(processes.started[0].arguments, QStringList{program("P1.CNC")});
    EXPECT_EQ(launcher.EditorTask(), 100);

    // Still running: it is handed the next program, which is how it is told to show it.
    programName = "P2.CNC";
    launcher.LaunchEditor(programName);
    ASSERT_EQ(processes.started.size(), 2);
    EXPECT_EQ(processes.started[1].arguments, QStringList{program("P2.CNC")});
    EXPECT_TRUE(env.LogLines().last().contains("while process 100 still runs (new process 101)"));

    // The operator closed it: the next program starts it again.
    processes.running.clear();
    launcher.LaunchEditor(programName);
    ASSERT_EQ(processes.started.size(), 3);
    EXPECT_TRUE(env.LogLines().last().startsWith("INFO editor " + editor() + " started for "));
    EXPECT_EQ(launcher.EditorTask(), 102);
}

TEST_F(EditorLauncherTest, FailuresAreOnlyLogged)
{
    processes.failStarts = true;
    launcher.LaunchEditor(programName);
    EXPECT_EQ(launcher.EditorTask(), 0);
    EXPECT_TRUE(env.LogLines().last().startsWith("WARNING editor not started for " + program("P1.CNC")));

    // A name that points outside the program folder is not handed to the editor at all.
    processes.started.clear();
    for (const char* name : {"..\\..\\etc\\passwd", "/etc/passwd", " "}) {
        programName = name;
        launcher.LaunchEditor(programName);
    }
    EXPECT_TRUE(processes.started.isEmpty());

    // A relative program folder still gives an absolute path, which no editor reads as an option.
    processes.failStarts = false;
    config.GCodePath = "";
    programName = "-rf";
    launcher.LaunchEditor(programName);
    ASSERT_EQ(processes.started.size(), 1);
    EXPECT_TRUE(processes.started[0].arguments[0].startsWith('/'));
}

// The real starter: a detached program outlives the call, and its end is noticed.
TEST(DetachedProcessStarterTest, StartsDetachedAndTellsWhenItEnded)
{
    TestEnvironment env;
    const QString marker = env.Root() + "/argument";
    const QString script = env.Write(env.Root() + "/editor.sh", "#!/bin/sh\necho \"$1\" > \"$2\"\nsleep 0.3\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    DetachedProcessStarter starter;
    QString error;
    const qint64 id = starter.Start(script, {"/a file/P1.CNC", marker}, error);
    ASSERT_GT(id, 0) << error.toStdString();
    EXPECT_TRUE(starter.IsRunning(id));
    QElapsedTimer clock;
    clock.start();
    while (starter.IsRunning(id) && clock.elapsed() < 10000)
        QThread::msleep(20);
    EXPECT_FALSE(starter.IsRunning(id));
    EXPECT_EQ(TestEnvironment::Read(marker), "/a file/P1.CNC\n");
    EXPECT_FALSE(starter.IsRunning(0));

    EXPECT_EQ(starter.Start(env.Root() + "/missing", {}, error), 0);
    EXPECT_TRUE(error.endsWith("/missing does not exist"));
    EXPECT_EQ(starter.Start(marker, {}, error), 0); // not executable
    EXPECT_TRUE(error.endsWith("is not an executable file"));
}

} // namespace
