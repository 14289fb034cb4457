#include "config/Configuration.h"
#include "platform/Paths.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

// As start-up gives them: section [Drives] of the configuration file.
void useDrivesOf(const QString& ini)
{
    FakeMessageBoxes boxes;
    Configuration config(boxes);
    config.IniFilePath = ini;
    Paths::SetDriveRoots(config.DriveRoots());
}

TEST(PathsTest, DrivesMapThroughTheConfigurationOrTheDefaultRoot)
{
    TestEnvironment env;
    const QString ini = env.Write(env.Root() + "/ZEM.INI", "[Drives]\nD = /srv/cnc/ \n");
    useDrivesOf(ini);
    EXPECT_EQ(Paths::ToNative("D:\\Progs\\P1.CNC"), "/srv/cnc/Progs/P1.CNC");
    EXPECT_EQ(Paths::ToNative("d:\\Progs\\"), "/srv/cnc/Progs/");
    EXPECT_EQ(Paths::ToNative("C:\\KARN\\PRODUCT\\P1"), env.DataFolder() + "/drive_c/KARN/PRODUCT/P1");
    EXPECT_EQ(Paths::ToNative("C:"), env.DataFolder() + "/drive_c/");
    EXPECT_EQ(Paths::ToNative("C:x.csv"), env.DataFolder() + "/drive_c/x.csv");

    // Drives given again replace those given before.
    env.Write(ini, "[Drives]\nD=/mnt/other\nC=/srv/c\n");
    useDrivesOf(ini);
    EXPECT_EQ(Paths::ToNative("D:\\P1.CNC"), "/mnt/other/P1.CNC");
    EXPECT_EQ(Paths::ToNative("C:\\P1.CNC"), "/srv/c/P1.CNC");
}

TEST(PathsTest, PathsWithoutADriveAreUsedAsTheyAre)
{
    TestEnvironment env;
    EXPECT_EQ(Paths::ToNative("/srv/cnc/product\\P1.CNC"), "/srv/cnc/product/P1.CNC");
    EXPECT_EQ(Paths::ToNative("relative\\file"), "relative/file");
    EXPECT_EQ(Paths::ToNative("\\BRIXEL.HLP"), "/BRIXEL.HLP");
}

TEST(PathsTest, FoldersFollowTheXdgVariables)
{
    TestEnvironment env;
    EXPECT_EQ(Paths::WindowsDirectory(), env.Root() + "/config/tarvex");
    EXPECT_EQ(Paths::DataFolder(), env.Root() + "/data/tarvex");
    EXPECT_EQ(Paths::ProgramFolder(), env.ProgramFolder());
}

TEST(PathsTest, NamesFromScansMustStayBelowTheirFolder)
{
    EXPECT_TRUE(Paths::IsSafeRelativeName("P1.CNC"));
    EXPECT_TRUE(Paths::IsSafeRelativeName("SUB\\P1.CNC"));
    EXPECT_TRUE(Paths::IsSafeRelativeName("a..b"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("..\\P1.CNC"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("SUB/../../etc/passwd"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("/etc/passwd"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("\\WINDOWS\\X"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("C:\\X"));
    EXPECT_FALSE(Paths::IsSafeRelativeName("  "));
}

} // namespace
