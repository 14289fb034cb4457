// Scans that must be refused whole: nothing of them is kept, added or acknowledged, the reason
// is on the status line and in the log, and the next good scan works as if they never came.
#include "autosel/AutoSelectRules.h"
#include "listmgr/EmbeddedListManager.h"
#include "support/ScanRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace {

const QByteArray isoProgram = "G71 X600 Y400 Z20\r\n(PANEL)\r\nG0 X0 Y0\r\nM30";

class HostileScanTest : public testing::Test {
protected:
    bool dispatch(const QString& label) { return rig.processing->DispatchLabel(label); }
    void programScan(const QByteArray& bytes)
    {
        QString scan = QString::fromLatin1(bytes);
        rig.processing->HandleProgramScan(scan);
    }

    ScanRig rig;
};

TEST_F(HostileScanTest, ProgramNamesThatLeaveTheFolderOrChangeTheLineAreRefusedWhole)
{
    rig.processing->Rules().Field("DFN").Code = "N";
    // What a label climbing out of the program folder would have read.
    rig.env.Write(rig.env.DataFolder() + "/SECRET.CNC", "G71 X1 Y2 Z3\r\n(SECRET)\r\n");
    ASSERT_TRUE(QDir().mkpath(rig.OnDriveC("CSV")));
    const QString labels[] = {"..\\..\\SECRET",       "%11..\\..\\SECRET N X %", "%11..\\..\\SECRET.CNC%",
                              "P;#171=5",             "%12P#1 N X %",           "P1\r",
                              "%22600\n400 20 %",     QString(300, 'A'),        QString(130, QChar(0xE9)),
                              " ",                    "%11 N X %",              QString::fromLatin1("P\0X", 3)};
    for (const QString& label : labels) {
        EXPECT_FALSE(dispatch(label)) << label.toStdString();
        EXPECT_TRUE(rig.state.Status().startsWith("Label refused: ")) << rig.state.Status().toStdString();
        EXPECT_TRUE(rig.processing->Dispatcher().PartsSeen().isEmpty()) << label.toStdString();
    }
    EXPECT_TRUE(rig.Lines().isEmpty());
    EXPECT_TRUE(rig.port.sent.isEmpty());
    EXPECT_NE(rig.processing->Fields().CurrentComment, "SECRET");
    EXPECT_EQ(rig.env.LogLines().filter("WARNING label ").filter(" refused, nothing added: ").size(),
              static_cast<qsizetype>(std::size(labels)));

    // The same names in a program barcode's header.
    programScan("P;1^X1^Y1^Z1^UN!" + isoProgram);
    programScan("P2\r^X1^Y1^Z1^UN!" + isoProgram);
    programScan(".^X1^Y1^Z1^UN!" + isoProgram);
    programScan("SUB/^X1^Y1^Z1^UN!" + isoProgram);
    programScan(QByteArray("P\0" "3^X1^Y1^Z1^UN!", 16) + isoProgram);
    EXPECT_TRUE(rig.state.Status().startsWith("Program barcode refused: ")) << rig.state.Status().toStdString();
    EXPECT_FALSE(QFile::exists(rig.OnDriveC("PRODUCT/P;1")));
    EXPECT_TRUE(rig.Lines().isEmpty());

    EXPECT_TRUE(dispatch("GOOD"));
    EXPECT_EQ(rig.Lines().size(), 1);
    EXPECT_EQ(rig.port.sent, QStringList({"ACK\r"}));
}

TEST_F(HostileScanTest, ARefusedScanLeavesTheFieldChoiceAsItWas)
{
    // "%M%" fixes the mirrored field M (position 2) for the next program.
    ASSERT_TRUE(dispatch("%M%"));
    programScan("..\\P1^X1^Y1^Z1^UN!" + isoProgram);
    EXPECT_FALSE(dispatch("..\\P2"));
    EXPECT_TRUE(dispatch("PROG3"));
    ASSERT_EQ(rig.Lines().size(), 1);
    EXPECT_TRUE(rig.Lines()[0].startsWith("#161=PROG3.CNC;#164=1;#171=2;#284=1;")) << rig.Lines()[0].toStdString();

    // Taken by the program, the choice is gone: a plain label now has no field.
    EXPECT_FALSE(dispatch("PROG4"));
    EXPECT_EQ(rig.state.Status(), "Run Field Not Selected");
}

TEST_F(HostileScanTest, ARefusedLabelLeavesTheProgramBeingAssembledAndTheSelectionAsTheyWere)
{
    ASSERT_TRUE(QDir().mkpath(rig.OnDriveC("CSV")));
    const QString unusable = QString(300, 'A'); // its CSV companion cannot be looked up

    // A refused part 1 names nothing: the part 2 that completes the count is refused too.
    EXPECT_FALSE(dispatch("%12" + unusable + " N X %"));
    EXPECT_FALSE(dispatch("%21 600 400 %"));
    EXPECT_TRUE(rig.processing->Dispatcher().PartsSeen().isEmpty());
    // Nor does the refused plain label lend its name to a program barcode.
    EXPECT_FALSE(dispatch(unusable));
    programScan("^");
    for (const QString& line : rig.Lines())
        EXPECT_FALSE(line.contains("AAAA")) << line.toStdString();

    // The default field's letter sets the mirror state of the coming choice; a refused label
    // must not have set it.
    rig.processing->Rules().Field("DFN").Code = "M";
    const FieldSelection::FieldSelectionState before = rig.processing->Selection().State;
    EXPECT_FALSE(dispatch(unusable));
    const FieldSelection::FieldSelectionState after = rig.processing->Selection().State;
    EXPECT_EQ(after.AlternateOrder, before.AlternateOrder);
    EXPECT_EQ(after.NextMirrored, before.NextMirrored);
    EXPECT_EQ(after.MirrorPending, before.MirrorPending);
    EXPECT_TRUE(rig.port.sent.isEmpty());
}

TEST_F(HostileScanTest, NamesFromWindowsStationsMatchFilesInAnyLetterCase)
{
    ScanRig embedded([] { return std::make_shared<EmbeddedListManager>(); });
    auto& server = static_cast<EmbeddedListManager&>(*embedded.server);
    embedded.processing->Rules().Field("DFN").Code = "N";
    embedded.WriteProgram("prog1.cnc", isoProgram);
    embedded.env.Write(embedded.OnDriveC("LISTS/job7%.lst"), "#161=A.CNC;\r\n");
    embedded.env.Write(embedded.OnDriveC("LISTS/JOB8%.lst"), "#161=B.CNC;\r\n");
    embedded.env.Write(embedded.OnDriveC("LISTS/job8%.LST"), "#161=C.CNC;\r\n");

    EXPECT_TRUE(embedded.processing->DispatchLabel("PROG1"));
    ASSERT_EQ(server.Lines().size(), 1);
    EXPECT_TRUE(server.Lines()[0].contains("#168=600;#169=400;#170=20;")) << server.Lines()[0].toStdString();
    EXPECT_EQ(embedded.processing->Fields().LastComment, "PANEL");

    embedded.processing->DispatchLabel("%01JOB7%");
    EXPECT_EQ(server.Lines(), QStringList({"#161=A.CNC;"}));
    EXPECT_TRUE(embedded.env.LogLines().join('\n').contains("job7%.lst, whose name differs only in letter case"));
    // Two files that differ only in case: neither is taken.
    embedded.processing->DispatchLabel("%01Job8%");
    EXPECT_TRUE(server.Lines().isEmpty());
    EXPECT_EQ(embedded.boxes.Texts(), QStringList({"List File C:\\LISTS\\Job8%.LST Not Found"}));
}

} // namespace
