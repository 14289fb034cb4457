#include "autosel/AutoSelectRules.h"
#include "platform/RuntimeError.h"
#include "support/ScanRig.h"

#include <gtest/gtest.h>

namespace {

class ScanRoutinesTest : public testing::Test {
protected:
    ScanRoutinesTest()
    {
        rig.processing->Rules().Field("SFN").Code = "N";
        rig.processing->Rules().Field("SFM").Code = "M";
    }
    ScanFields& fields() { return rig.processing->Fields(); }
    ScanRoutines& routines() { return rig.processing->Routines(); }
    // The position and mirror fields of the line added for a field code.
    QString placeFor(const QString& code)
    {
        fields().CurrentProgramName = "P.CNC";
        routines().AddLineRoutine(fields(), code, 100, 100, false);
        return rig.Lines().last().section(';', 2, 3);
    }
    // As the dispatcher completes its program's sizes.
    void completeSizes(float& x, float& y, float& z)
    {
        const ScanFields::Sizes sizes = routines().CompleteSizes(fields());
        fields().TakeSizes(sizes);
        x = sizes.x;
        y = sizes.y;
        z = sizes.z;
    }

    ScanRig rig;
};

TEST_F(ScanRoutinesTest, CompleteSizesTakesMissingSizesFromTheProgramAndWritesThemBack)
{
    rig.WriteProgram("P.CNC", "G71 X600.5 Y0.25 Z123456789\r\n(c)\r\n");
    fields().CurrentProgramName = "P.CNC";
    fields().CurrentSizeX = "0";
    fields().CurrentSizeY = "abc";
    fields().CurrentSizeZ = "18mm";
    float x = 0, y = 0, z = 0;
    completeSizes(x, y, z);
    EXPECT_EQ(fields().CurrentSizeX, "600.5");
    EXPECT_EQ(fields().CurrentSizeY, "0.25");
    EXPECT_EQ(fields().CurrentSizeZ, "18mm"); // not 0: kept as scanned
    EXPECT_FLOAT_EQ(x, 600.5f);
    EXPECT_FLOAT_EQ(y, 0.25f);
    EXPECT_FLOAT_EQ(z, 18);
    EXPECT_EQ(fields().CurrentComment, "c");

    // All three given: the file is not read, the comment stays.
    fields().CurrentSizeZ = "";
    rig.WriteProgram("P.CNC", "G71 X1 Y2 Z123456789\r\n(other)\r\n");
    fields().CurrentSizeX = "7";
    completeSizes(x, y, z);
    EXPECT_EQ(fields().CurrentSizeZ, "1.234568e+08"); // seven significant digits
    EXPECT_EQ(fields().CurrentSizeX, "7");
    fields().CurrentComment = "kept";
    completeSizes(x, y, z);
    EXPECT_EQ(fields().CurrentComment, "kept");
}

TEST_F(ScanRoutinesTest, TheFirstCharacterOfTheFieldCodeDecidesTheChoice)
{
    EXPECT_EQ(placeFor(""), "#171=1;#284=0");
    EXPECT_TRUE(rig.state.AutoFieldSelection());
    EXPECT_EQ(placeFor("P"), "#171=1;#284=0");
    EXPECT_EQ(placeFor("W"), "#171=2;#284=1");
    rig.state.SetAutoFieldSelection(false);
    EXPECT_EQ(placeFor("A1"), "#171=10;#284=1"); // taken as it is
    EXPECT_EQ(placeFor(" "), "#171=37;#284=0");  // nothing chosen, position unknown
    EXPECT_EQ(placeFor("x"), "#171=37;#284=0");
    EXPECT_FALSE(rig.state.AutoFieldSelection());
    EXPECT_TRUE(rig.port.sent.isEmpty()); // not asked to acknowledge
}

TEST_F(ScanRoutinesTest, AnExplicitMirroredCodeMakesThePairedChoiceFollowIt)
{
    int mode = 6;
    rig.processing->Selection().FieldChoice(mode, "M", 0, 0);
    EXPECT_EQ(placeFor("&"), "#171=2;#284=1");
    EXPECT_EQ(placeFor("&"), "#171=1;#284=0");
}

TEST_F(ScanRoutinesTest, WithoutTheListManagerTheLineIsLoggedAndTheStatusSaysSo)
{
    rig.link.ListApp.reset();
    rig.link.ExeListObject.reset();
    rig.state.SetOption(StationState::Option::AutoStart, 1);
    fields().CurrentProgramName = "P.CNC";
    EXPECT_FALSE(routines().AddLineRoutine(fields(), fields().CurrentFieldCode, 1, 1, true));
    EXPECT_EQ(rig.state.Status(), "Running without the list manager: the line was not added.");
    EXPECT_TRUE(rig.port.sent.isEmpty());
    rig.processing->Status().ShowReady();
    EXPECT_EQ(rig.state.Status(), "Running without the list manager: the line was not added.");
    rig.processing->Status().BeginScan();
    rig.processing->Status().ShowReady();
    EXPECT_EQ(rig.state.Status(), "Ready.");
}

TEST_F(ScanRoutinesTest, AutoStartIsTheResult)
{
    fields().CurrentProgramName = "P.CNC";
    rig.state.SetOption(StationState::Option::AutoStart, 0);
    EXPECT_FALSE(routines().AddLineRoutine(fields(), fields().CurrentFieldCode, 1, 1, true));
    rig.state.SetOption(StationState::Option::AutoStart, 1); // as a new configuration has it
    EXPECT_TRUE(routines().AddLineRoutine(fields(), fields().CurrentFieldCode, 1, 1, true));
    EXPECT_EQ(rig.recorder->calls.last(), "Start");
    EXPECT_EQ(rig.port.sent, QStringList({"ACK\r", "ACK\r"}));
}

class DeafPort : public FakeSerialPort {
public:
    void Output(const QString&) override { throw RuntimeError(RuntimeError::DeviceIoError, "Input/output error"); }
};

TEST(ScanRoutinesAcknowledgement, AnAcknowledgementThatCannotBeSentIsReported)
{
    ScanRig rig;
    DeafPort deaf;
    deaf.SetPortOpen(true);
    ScanProcessing processing({rig.config, rig.run, rig.state, rig.boxes, rig.pauser, rig.link, rig.codes, deaf});
    processing.Fields().CurrentProgramName = "P.CNC";
    processing.Fields().CurrentFieldCode = "N";
    processing.Routines().AddLineRoutine(processing.Fields(), processing.Fields().CurrentFieldCode, 1, 1, true);
    EXPECT_EQ(rig.Lines().size(), 1);
    EXPECT_EQ(rig.state.Status(), "Could not acknowledge to the scanner: Input/output error");
    EXPECT_TRUE(rig.env.LogLines().last().contains("acknowledgement not sent"));
}

} // namespace
