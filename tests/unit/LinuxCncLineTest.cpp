#include "listmgr/LinuxCncLine.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

namespace {

TEST(LinuxCncLineTest, EveryFieldOfTheLineIsSetAndNoneIsLeftFromAnEarlierLine)
{
    // As composed from a label after a reset: #282 is a single space, the others empty.
    const LinuxCncLine line(ListFields::Read("#161=forpunte.CNC;#164=1;#171=10;#284=1;#280=;#165=1;#168=600;#169= 12.5;#170=20;#282= ;#283=;"));
    EXPECT_TRUE(line.Refusal().isEmpty());
    EXPECT_EQ(line.ProgramName(), "forpunte.CNC");
    EXPECT_EQ(line.MdiCommands(), QStringList({"#164=1 #171=10 #284=1 #280=0 #165=1 #168=600 #169=12.5 #170=20 #282=0 #283=0"}));

    // A list file's short line: the list line's fields it lacks are 0, and so is #300 of a line before.
    const LinuxCncLine shortLine(ListFields::Read("#161=P2.CNC;#164=+7;#200=-.5;"));
    EXPECT_EQ(shortLine.MdiCommands({300, 164}),
              QStringList({"#164=7 #200=-.5 #171=0 #284=0 #280=0 #165=0 #168=0 #169=0 #170=0 #282=0 #283=0 #300=0"}));

    // Many fields: commands LinuxCNC can read.
    QString wide = "#161=W.CNC;";
    for (int number = 1000; number < 1040; ++number)
        wide += QString("#%1=123456.789;").arg(number);
    const QStringList commands = LinuxCncLine(ListFields::Read(wide)).MdiCommands();
    EXPECT_GT(commands.size(), 1);
    for (const QString& command : commands)
        EXPECT_LE(command.size(), LinuxCncLine::MaxMdiLength);
    EXPECT_EQ(commands.join(' ').count('#'), 50);
}

TEST(LinuxCncLineTest, ALineThatCannotRunSaysWhy)
{
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;#168=600;#169=400;#170=300%;")).Refusal(), "#170=300% is not a number");
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;#168=6,5;")).Refusal(), "#168=6,5 is not a number");
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;#5220=2;")).Refusal(),
              "field #5220 cannot go to LinuxCNC: programs may only be given parameters #31 to #5000");
    // #1 to #30 are a subroutine's arguments: a program's own.
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;#30=2;")).Refusal(),
              "field #30 cannot go to LinuxCNC: programs may only be given parameters #31 to #5000");
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;#31=2;#5000=1;")).Refusal(), "");
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=P.CNC;G0 X0;")).Refusal(), "\"G0 X0\" in the line is no field (#number=value)");
    EXPECT_EQ(LinuxCncLine(ListFields::Read("#161=;#164=1;")).Refusal(), "the line names no program (#161)");
    EXPECT_EQ(LinuxCncLine::NumberText(" 1e3"), "");
}

} // namespace
