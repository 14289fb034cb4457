#include "listmgr/EmbeddedListManager.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManagerLink.h"
#include "scan/ScanFields.h"
#include "station/StationState.h"
#include "support/FakeClock.h"
#include "support/FakeListManager.h"
#include "support/FakeListManagerFactory.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

class ListLineTest : public testing::Test {
protected:
    ListLineTest() { table.InitFieldCodeTable(); }
    void connectFake()
    {
        link.ExeListObject = server;
        link.ListApp = server;
    }
    QString lineFor(const QString& code)
    {
        fields.CurrentFieldCode = code;
        return line.ComposeListLine(fields.LineValues(code)).Text();
    }

    TestEnvironment env;
    FieldCodeTable table;
    std::shared_ptr<FakeListManager> server = std::make_shared<FakeListManager>();
    FakeListManagerFactory factory;
    FakeClock clock;
    ListManagerLink link{factory, clock};
    StationState state;
    ListLine line{table, link, state};
    ScanFields fields;
};

TEST_F(ListLineTest, TheExampleLine)
{
    fields.CurrentProgramName = "forpunte.CNC";
    fields.CurrentField164 = "1";
    fields.CurrentField165 = "1";
    fields.CurrentSizeX = "600";
    fields.CurrentSizeY = "600";
    fields.CurrentSizeZ = "20";
    EXPECT_EQ(lineFor("A1"), "#161=forpunte.CNC;#164=1;#171=10;#284=1;#280=;#165=1;#168=600;#169=600;#170=20;#282=;#283=;");
}

TEST_F(ListLineTest, ALabelsLineReachesTheWorkListFileAndTheJournalAsItsText)
{
    fields.CurrentProgramName = "forpunte.CNC";
    fields.CurrentField164 = "1";
    fields.CurrentField165 = "1";
    fields.CurrentSizeX = "600";
    fields.CurrentSizeY = "0.0";
    fields.CurrentSizeZ = "20";
    const QString text = "#161=forpunte.CNC;#164=1;#171=10;#284=1;#280=;#165=1;#168=600;#169=;#170=20;#282=;#283=;";
    EmbeddedListManager server;
    server.AddLine(line.ComposeListLine(fields.LineValues("A1")));
    EXPECT_EQ(QString::fromLatin1(TestEnvironment::Read(EmbeddedListManager::WorkListPath())), text + "\n");
    EXPECT_TRUE(TestEnvironment::Read(EmbeddedListManager::JournalPath()).endsWith("\tAddLine\t" + text.toLatin1() + "\n"));
    const ListFields back = EmbeddedListManager().List().Entries().value(0).fields;
    EXPECT_EQ(back.Text(), text);
    EXPECT_EQ(back.Value(169), "");
    EXPECT_EQ(back.Value(171), "10");
}

TEST_F(ListLineTest, PositionsAndMirrorFlagsAcrossTheTable)
{
    const struct {
        const char* code;
        const char* fields;
    } cases[] = {{"N", "#171=1;#284=0;"},   {"M", "#171=2;#284=1;"},   {"R1/", "#171=24;#284=1;"},
                 {"T/0", "#171=29;#284=0;"}, {"R/1", "#171=36;#284=1;"}, {"n", "#171=37;#284=0;"},
                 {" ", "#171=37;#284=0;"},   {"&", "#171=37;#284=0;"},   {"FFS", "#171=37;#284=0;"}};
    for (const auto& c : cases)
        EXPECT_TRUE(lineFor(c.code).contains(c.fields)) << c.code << ": " << lineFor(c.code).toStdString();
    EXPECT_TRUE(table.IsFieldCode("R/1"));
    EXPECT_FALSE(table.IsFieldCode("r/1"));
    EXPECT_EQ(table.CodeAt(10), "A1");
}

TEST_F(ListLineTest, ZeroSizesGoOutEmptyOtherValuesUnchanged)
{
    fields.ResetScanFields();
    fields.CurrentSizeX = "0";
    fields.CurrentSizeY = "abc";
    fields.CurrentSizeZ = " 12";
    fields.CurrentProgramName = " P 1.CNC ";
    const QString text = lineFor("N");
    EXPECT_EQ(text, "#161= P 1.CNC ;#164=1;#171=1;#284=0;#280=;#165=1;#168=;#169=;#170= 12;#282= ;#283=;");
    fields.ResetScanFields(); // a blank size counts as 0 as well
    EXPECT_TRUE(lineFor("N").contains("#168=;#169=;#170=;"));
}

TEST_F(ListLineTest, ResetLeavesCommentFieldChoiceAndUnusedFieldsAlone)
{
    fields.CurrentComment = "c";
    fields.CurrentField280 = "x";
    fields.RunFieldChosen = true;
    fields.ResetScanFields();
    EXPECT_EQ(fields.CurrentProgramName, " ");
    EXPECT_EQ(fields.CurrentFieldCode, " ");
    EXPECT_EQ(fields.CurrentField164, "1");
    EXPECT_EQ(fields.CurrentField282, " ");
    EXPECT_EQ(fields.CurrentComment, "c");
    EXPECT_EQ(fields.CurrentField280, "x");
    EXPECT_TRUE(fields.RunFieldChosen);
}

TEST_F(ListLineTest, AFailedLineGetsExactlyOneRecoveryThenTheReport)
{
    connectFake();
    const QString text = lineFor("N");

    EXPECT_TRUE(line.AddLineToList(fields.LineValues(fields.CurrentFieldCode)));
    EXPECT_EQ(server->calls, QStringList({"AddLine " + text}));

    server->calls.clear();
    server->failAddLine = 1;
    EXPECT_TRUE(line.AddLineToList(fields.LineValues(fields.CurrentFieldCode)));
    // The fallback is the same server: it is shown, but not cleared, so the queued lines stay.
    EXPECT_EQ(server->calls, QStringList({"AddLine " + text, "Visible True", "AddLine " + text}));
    EXPECT_EQ(state.Status(), "Ready.");

    server->calls.clear();
    server->failAddLine = -1;
    EXPECT_FALSE(line.AddLineToList(fields.LineValues(fields.CurrentFieldCode)));
    EXPECT_EQ(server->Count("AddLine"), 2);
    EXPECT_EQ(server->Count("Clear"), 0);
    EXPECT_TRUE(state.Status().startsWith("The line was not added to the list (error -2147417848")) << state.Status().toStdString();
    EXPECT_TRUE(env.LogLines().last().contains("line not added") && env.LogLines().last().endsWith(text));
}

TEST_F(ListLineTest, WithoutAWorkListNothingIsSentAndTheLogKeepsTheLine)
{
    const QString text = lineFor("M");
    EXPECT_FALSE(line.AddLineToList(fields.LineValues(fields.CurrentFieldCode)));
    EXPECT_FALSE(line.AddLineToList(fields.LineValues(fields.CurrentFieldCode)));
    EXPECT_TRUE(server->calls.isEmpty());
    EXPECT_EQ(state.Status(), "Ready.");
    EXPECT_TRUE(env.LogLines().last().endsWith("line not added, running without the list manager: " + text));
}

} // namespace
