#include "autosel/AutoSelectRules.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/ListFile.h"
#include "platform/RuntimeError.h"
#include "support/ScanRig.h"

#include <QFile>

#include <gtest/gtest.h>

namespace {

// The line the dispatcher should send for a program on field N with the given sizes.
QString lineOnN(const QString& name, const QString& x, const QString& y, const QString& z, const QString& count = "1")
{
    return QStringLiteral("#161=%1;#164=%2;#171=1;#284=0;#280=;#165=1;#168=%3;#169=%4;#170=%5;#282=;#283=;")
        .arg(name, count, x, y, z);
}

class LabelDispatcherTest : public testing::Test {
protected:
    bool dispatch(const QString& label) { return rig.processing->DispatchLabel(label); }
    const QStringList& calls() const { return rig.recorder->calls; }
    AutoSelectRules& rules() { return rig.processing->Rules(); }
    const QString& partsSeen() { return rig.processing->Dispatcher().PartsSeen(); }

    ScanRig rig;
};

// --- commands and the first scan -------------------------------------------------------------

TEST_F(LabelDispatcherTest, TheFirstLabelClearsTheWorkListEvenWhenItIsACommand)
{
    rig.run.FirstScanPending = true;
    EXPECT_TRUE(dispatch("%START%"));
    EXPECT_EQ(calls(), QStringList({"ClearList", "Start"}));
    EXPECT_FALSE(rig.run.FirstScanPending);
    EXPECT_EQ(rig.state.Status(), "Ready.");

    EXPECT_TRUE(dispatch("%START%"));
    EXPECT_EQ(calls().size(), 3); // no second clearing
}

TEST_F(LabelDispatcherTest, EachCommandReachesItsMember)
{
    for (const char* label : {"%START%", "%STOP%", "%END%", "%SETPOINT%", "%SETP%", "%CLEAR%"})
        EXPECT_TRUE(dispatch(label)) << label;
    EXPECT_EQ(calls(), QStringList({"Start", "Hold", "End", "Setpoint", "Setpoint", "ClearList"}));
    // Every command waits 0.6 s before "Ready.".
    EXPECT_NEAR(rig.pauser.paused, 6 * 0.6, 1e-5);
    // Commands are exact and case-sensitive: this is a part label whose part character, a
    // letter, counts as 0: a list-file request.
    EXPECT_FALSE(dispatch("%start%"));
    EXPECT_EQ(calls().mid(6), QStringList({"ClearList", "OpenList C:\\LISTS\\art%.LST"}));
}

TEST_F(LabelDispatcherTest, ClearWithPartsCollectedDiscardsThemAndLeavesTheWorkList)
{
    EXPECT_FALSE(dispatch("%12PROG1 N X %"));
    EXPECT_TRUE(rig.state.Indicator(1));
    EXPECT_TRUE(dispatch("%CLEAR%"));
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_TRUE(partsSeen().isEmpty());
    EXPECT_FALSE(rig.state.Indicator(1));
    EXPECT_TRUE(rig.processing->Fields().CurrentProgramName.trimmed().isEmpty());

    // Nothing collected any more: now it clears the list.
    EXPECT_TRUE(dispatch("%CLEAR%"));
    EXPECT_EQ(calls(), QStringList({"ClearList"}));
}

class RefusingListManager : public FakeListManager {
public:
    void Start() override { throw RuntimeError(-2147418113, "Catastrophic failure"); }
};

TEST_F(LabelDispatcherTest, ACommandTheListManagerRefusesIsNotAcceptedAndStaysOnTheStatusLine)
{
    ScanRig refusing([] { return std::make_shared<RefusingListManager>(); });
    EXPECT_FALSE(refusing.processing->DispatchLabel("%START%"));
    EXPECT_EQ(refusing.state.Status(), "List manager error #-2147418113 on Start: Catastrophic failure");
    EXPECT_TRUE(refusing.env.LogLines().last().contains("Start failed"));
    // The next command works and brings "Ready." back.
    EXPECT_TRUE(refusing.processing->DispatchLabel("%STOP%"));
    EXPECT_EQ(refusing.state.Status(), "Ready.");
}

TEST_F(LabelDispatcherTest, WithoutTheListManagerCommandsDoNothing)
{
    rig.link.ListApp.reset();
    rig.link.ExeListObject.reset();
    rig.run.CommandLine = "NOAPP";
    rig.run.FirstScanPending = true;
    EXPECT_TRUE(dispatch("%START%"));
    EXPECT_TRUE(dispatch("%CLEAR%"));
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_EQ(rig.state.Status(), "Ready.");
}

// --- field selection ------------------------------------------------------------------------

TEST_F(LabelDispatcherTest, FieldSelectionLabelsOfThreeToFiveCharacters)
{
    for (const char* label : {"%A1%", "%R1/%", "%N%"}) {
        rig.processing->Fields().RunFieldChosen = false;
        EXPECT_TRUE(dispatch(label)) << label;
        EXPECT_TRUE(rig.processing->Fields().RunFieldChosen) << label;
    }
    EXPECT_EQ(rig.processing->Fields().CurrentFieldCode, "N");
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_TRUE(partsSeen().isEmpty());
    // The code is cut from the trimmed label as long as the untrimmed one says: " %N%  " gives "N%".
    EXPECT_FALSE(dispatch(" %N% "));

    // Six characters are too many, even when the middle is a code: a part label not stored.
    EXPECT_FALSE(dispatch(" %R1/%"));
    EXPECT_EQ(rig.state.Status(), "Barcode Formating Error.   %R1/%");
}

TEST_F(LabelDispatcherTest, TheFixedFieldGoesToTheNextProgramAndPartOneReadsButIgnoresItsOwn)
{
    EXPECT_TRUE(dispatch("%M%"));
    EXPECT_TRUE(dispatch("%19PROG1 A1 X %"));
    ASSERT_EQ(rig.Lines().size(), 1);
    EXPECT_TRUE(rig.Lines()[0].startsWith("#161=PROG1.CNC;#164=999;#171=2;#284=1;"));
    EXPECT_FALSE(rig.processing->Fields().RunFieldChosen);
}

TEST_F(LabelDispatcherTest, AThreeCharacterLabelThatIsNoCodeAsksForAListFileWithAnEmptyName)
{
    EXPECT_FALSE(dispatch("%X%"));
    EXPECT_EQ(calls(), QStringList({"ClearList", "OpenList C:\\LISTS\\.LST"}));
}

// --- plain labels ---------------------------------------------------------------------------

TEST_F(LabelDispatcherTest, APlainLabelWithTheDefaultFieldIsOneLine)
{
    rules().Field("DFN").Code = "n";
    rig.WriteProgram("PROG1.CNC", "G71 X600 Y400 Z20\r\n(PANEL)\r\n");
    rig.env.Write(rig.OnDriveC("CSV/PROG1.CSV"), "a;b\r\n");
    rig.env.Write(rig.OnDriveC("OUT/Tarvex.csv"), "");

    EXPECT_TRUE(dispatch("  PROG1 "));
    EXPECT_EQ(rig.Lines(), QStringList({lineOnN("PROG1.CNC", "600", "400", "20")}));
    EXPECT_EQ(TestEnvironment::Read(rig.OnDriveC("OUT/Tarvex.csv")), QByteArray("a;b\r\n"));
    EXPECT_FALSE(QFile::exists(rig.OnDriveC("CSV/PROG1.CSV")));
    EXPECT_EQ(rig.port.sent, QStringList({"ACK\r"}));
    EXPECT_EQ(rig.state.Status(), "Ready.");
    EXPECT_EQ(rig.processing->Fields().LastProgramName, "PROG1.CNC");
    EXPECT_EQ(rig.processing->Fields().LastComment, "PANEL");
    // Two pauses of 0.6 s after the line.
    EXPECT_NEAR(rig.pauser.paused, 1.2, 1e-5);
    EXPECT_FALSE(rig.state.AutoFieldSelection());
}

TEST_F(LabelDispatcherTest, APlainLabelKeepsAnExtensionInAnyCaseAndAMissingFileGivesEmptySizes)
{
    rules().Field("DFN").Code = "N";
    EXPECT_TRUE(dispatch("job.cnc"));
    EXPECT_EQ(rig.Lines(), QStringList({lineOnN("job.cnc", "", "", "")}));
    EXPECT_TRUE(rig.boxes.shown.isEmpty());
}

TEST_F(LabelDispatcherTest, APlainLabelWithNoWayToChooseAFieldIsRefused)
{
    ASSERT_EQ(rules().TriggerSource(), AutoSelectRules::Source::Barcode);
    EXPECT_FALSE(dispatch("PROG1"));
    EXPECT_EQ(rig.state.Status(), "Run Field Not Selected");
    EXPECT_TRUE(calls().isEmpty());
    EXPECT_TRUE(rig.port.sent.isEmpty());

    // With the program name as trigger source the field is chosen automatically.
    rules().SetTriggerSource(AutoSelectRules::Source::ProgramName);
    EXPECT_TRUE(dispatch("PROG1"));
    ASSERT_EQ(rig.Lines().size(), 1);
    EXPECT_TRUE(rig.Lines()[0].startsWith("#161=PROG1.CNC;#164=1;#171="));
}

// --- part labels ----------------------------------------------------------------------------

TEST_F(LabelDispatcherTest, TwoPartsInEitherOrderGiveTheSameLine)
{
    const QString expected = lineOnN("PROG1.CNC", "600", "400", "20");
    EXPECT_FALSE(dispatch("%12PROG1 N X %"));
    EXPECT_EQ(rig.state.Status(), " Waiting for next barcode...");
    EXPECT_EQ(partsSeen(), "1");
    EXPECT_TRUE(dispatch("%22600 400 20 %"));
    EXPECT_EQ(rig.Lines(), QStringList({expected}));
    EXPECT_EQ(rig.port.sent, QStringList({"ACK\r"}));
    EXPECT_TRUE(partsSeen().isEmpty());
    EXPECT_EQ(rig.state.Indicators(), (std::array<bool, 5>{}));

    ScanRig fresh;
    EXPECT_FALSE(fresh.processing->DispatchLabel("%22600 400 20 %"));
    EXPECT_TRUE(fresh.state.Indicator(2));
    EXPECT_TRUE(fresh.processing->DispatchLabel("%12PROG1 N X %"));
    EXPECT_EQ(fresh.Lines(), QStringList({expected}));

    // Between two programs the fields are reset, field 282 to a blank, as the list manager expects.
    EXPECT_FALSE(dispatch("%12PROG1 N X %"));
    EXPECT_TRUE(dispatch("%22600 400 20 %"));
    EXPECT_EQ(rig.Lines().last(), QString(expected).replace("#282=;", "#282= ;"));
}

TEST_F(LabelDispatcherTest, ARepeatedPartIsRefusedAndTheCollectionGoesOn)
{
    EXPECT_FALSE(dispatch("%12PROG1 N X %"));
    EXPECT_FALSE(dispatch("%12PROG2 M X %"));
    EXPECT_EQ(rig.state.Status(), "Barcode Formating Error.  %12PROG2 M X %");
    EXPECT_EQ(partsSeen(), "1");
    EXPECT_TRUE(dispatch("%22600 400 20 %"));
    EXPECT_EQ(rig.Lines(), QStringList({lineOnN("PROG1.CNC", "600", "400", "20")}));
}

TEST_F(LabelDispatcherTest, ClosingPercentSignsStayInTheLastWord)
{
    // No space before the closing sign: the name keeps it and gets no extension, no CSV, no header.
    EXPECT_FALSE(dispatch("%12PROG1%"));
    EXPECT_EQ(rig.processing->Fields().CurrentProgramName, "PROG1%");
    rig.processing->Fields().CurrentFieldCode = "N";
    EXPECT_TRUE(dispatch("%22600 400 20%"));
    EXPECT_EQ(rig.Lines(), QStringList({lineOnN("PROG1%", "600", "400", "20%")}));
}

TEST_F(LabelDispatcherTest, CountDigitNineCompletesWithTheFirstPart)
{
    rig.WriteProgram("PROG9.CNC", "ZEM\r\nC=Nine\r\nUN LX=600 LY=400 LZ=20\r\n");
    EXPECT_TRUE(dispatch("%19PROG9 N X %"));
    EXPECT_EQ(rig.Lines(), QStringList({lineOnN("PROG9.CNC", "600", "400", "20", "999")}));
    EXPECT_EQ(rig.processing->Fields().LastComment, "Nine");
}

TEST_F(LabelDispatcherTest, PartsFiveToNineCountButShowNoIndicator)
{
    EXPECT_FALSE(dispatch("%13PROG1 N X %"));
    EXPECT_FALSE(dispatch("%73%"));
    EXPECT_EQ(rig.state.Indicators(), (std::array<bool, 5>{false, true, false, false, false}));
    EXPECT_EQ(partsSeen(), "17");
    EXPECT_TRUE(dispatch("%23600 400 20 %"));
    EXPECT_EQ(rig.Lines().size(), 1);
}

TEST_F(LabelDispatcherTest, AFieldChosenByRulesWhenPartOneHasNone)
{
    rules().SetTriggerSource(AutoSelectRules::Source::ProgramName);
    EXPECT_FALSE(dispatch("%12PROG1 %"));
    EXPECT_TRUE(dispatch("%22600 400 20 %"));
    ASSERT_EQ(rig.Lines().size(), 1);
    EXPECT_TRUE(rig.statuses.texts.contains("Adding to Barcode data to List."));
}

TEST_F(LabelDispatcherTest, AutoClearAndAutoStartFrameTheLine)
{
    rig.state.SetOption(StationState::Option::AClear, 1);
    rig.state.SetOption(StationState::Option::AutoStart, 1);
    EXPECT_TRUE(dispatch("%19PROG1 N X %"));
    ASSERT_EQ(calls().size(), 3);
    EXPECT_EQ(calls()[0], "ClearList");
    EXPECT_TRUE(calls()[1].startsWith("AddLine #161=PROG1.CNC"));
    EXPECT_EQ(calls()[2], "Start");
}

TEST_F(LabelDispatcherTest, NormAndMirrorAddsThePairAndAcknowledgesTwice)
{
    rules().SetTriggerSource(AutoSelectRules::Source::ProgramName);
    rules().SetShownMirror(false);
    MirrorTriggerRule& rule = rules().Rule(AutoSelectRules::Source::ProgramName, false);
    rule.Alignment = MirrorTriggerRule::FromLeftAlignment;
    rule.Position = 1;
    rule.Text = "PA";
    rules().Field("SFN").Code = "N";
    rules().Field("SFM").Code = "M";
    EXPECT_TRUE(dispatch("%19PAIR %"));
    ASSERT_EQ(rig.Lines().size(), 2);
    // The two lines get opposite mirror states.
    QStringList placed{rig.Lines()[0].section(';', 2, 3), rig.Lines()[1].section(';', 2, 3)};
    placed.sort();
    EXPECT_EQ(placed, QStringList({"#171=1;#284=0", "#171=2;#284=1"}));
    EXPECT_EQ(rig.port.sent, QStringList({"ACK\r", "ACK\r"}));
}

TEST_F(LabelDispatcherTest, NoAcknowledgementWhenThePortIsClosedOrTheLineWasNotAdded)
{
    rig.port.SetPortOpen(false);
    EXPECT_TRUE(dispatch("%19PROG1 N X %"));
    EXPECT_EQ(rig.Lines().size(), 1);
    EXPECT_TRUE(rig.port.sent.isEmpty());

    rig.port.SetPortOpen(true);
    rig.recorder->failAddLine = -1;
    EXPECT_TRUE(dispatch("%19PROG2 N X %"));
    EXPECT_TRUE(rig.port.sent.isEmpty());
    // The failure stays on the status line instead of "Ready.".
    EXPECT_TRUE(rig.state.Status().startsWith("The line was not added")) << rig.state.Status().toStdString();
}

// --- list files -----------------------------------------------------------------------------

class ListFileTest : public testing::Test {
protected:
    ListFileTest() : rig([] { return std::make_shared<EmbeddedListManager>(); }) {}
    EmbeddedListManager& server() { return static_cast<EmbeddedListManager&>(*rig.server); }

    ScanRig rig;
};

TEST_F(ListFileTest, APartZeroLabelReplacesTheWorkListWithTheFile)
{
    rig.env.Write(rig.OnDriveC("LISTS/JOB7%.LST"), "; job seven\r\n#161=A.CNC;\r\n\r\n#161=B.CNC;\r\n");
    rig.server->AddLine(ListFields::Read("#161=OLD.CNC;"));
    rig.state.SetIndicator(3, true);
    EXPECT_FALSE(rig.processing->DispatchLabel("%01JOB7%"));
    EXPECT_EQ(server().Lines(), QStringList({"#161=A.CNC;", "#161=B.CNC;"}));
    EXPECT_TRUE(rig.boxes.shown.isEmpty());
    // The list is loaded: nothing of the scan is pending, "Load List" and the rest go off.
    EXPECT_EQ(rig.state.Indicators(), (std::array<bool, 5>{}));
    EXPECT_EQ(rig.processing->History().Entries().first().outcomes.last(), "list loaded: C:\\LISTS\\JOB7%.LST");
    EXPECT_TRUE(rig.processing->Dispatcher().PartsSeen().isEmpty());
}

TEST_F(ListFileTest, AMissingFileIsToldAndTheListStaysCleared)
{
    rig.config.ListPath = "C:\\LISTS";
    rig.server->AddLine(ListFields::Read("#161=OLD.CNC;"));
    EXPECT_FALSE(rig.processing->DispatchLabel("%0 job7%"));
    ASSERT_EQ(rig.boxes.shown.size(), 1);
    EXPECT_EQ(rig.boxes.shown[0].text, "List File C:\\LISTSjob7%.LST Not Found");
    EXPECT_EQ(rig.boxes.shown[0].caption, "Tarvex");
    EXPECT_EQ(rig.state.Status(), "Ready.");
    EXPECT_EQ(rig.state.Indicators(), (std::array<bool, 5>{}));
    EXPECT_TRUE(server().Lines().isEmpty());
}

TEST_F(ListFileTest, AListThatCannotBeTakenSafelyIsRefusedWithItsReason)
{
    rig.env.Write(rig.OnDriveC("OUTSIDE%.LST"), "#161=OUT.CNC;\r\n");
    QByteArray many;
    for (int i = 0; i <= ListFile::MaxLines; ++i)
        many += "#161=P" + QByteArray::number(i) + ".CNC;\r\n";
    rig.env.Write(rig.OnDriveC("LISTS/MANY%.LST"), many);
    // A lone carriage return inside a line: a reader that takes it as a line end sees two lines.
    rig.env.Write(rig.OnDriveC("LISTS/CR%.LST"), "; job\r\n#161=A.CNC;\r\n#161=P1.NGC\rset mode mdi\r\n");
    const struct {
        const char* label;
        const char* status;
    } cases[] = {
        {"%01..\\OUTSIDE%", "List file refused: its list name ..\\OUTSIDE% points outside the list folder."},
        {"%01MANY%", "holds more than 10000 list lines"},
        {"%01CR%", "CR%.LST: line 3 holds a carriage return or another control character"},
    };
    for (const auto& c : cases) {
        rig.server->AddLine(ListFields::Read("#161=OLD.CNC;"));
        rig.state.SetIndicator(0, true);
        EXPECT_FALSE(rig.processing->DispatchLabel(c.label));
        EXPECT_TRUE(rig.state.Status().contains(c.status)) << rig.state.Status().toStdString();
        EXPECT_TRUE(server().Lines().isEmpty()) << c.label;
        EXPECT_EQ(rig.state.Indicators(), (std::array<bool, 5>{}));
    }
    EXPECT_TRUE(rig.boxes.shown.isEmpty());
}

TEST_F(ListFileTest, WithoutTheListManagerALoadFailsQuietly)
{
    rig.link.ListApp.reset();
    rig.link.ExeListObject.reset();
    rig.run.CommandLine = "NOAPP";
    EXPECT_FALSE(rig.processing->DispatchLabel("%01JOB7%"));
    EXPECT_TRUE(rig.boxes.shown.isEmpty());
    EXPECT_EQ(rig.state.Status(), "Ready.");
}

} // namespace

// --- doubtful lines --------------------------------------------------------------------------

TEST_F(LabelDispatcherTest, ALineThatWillNotRunAsMeantIsMarkedDoubtfulWithItsReason)
{
    rig.WriteProgram("SIZED.CNC", "G71 X600 Y400 Z20\r\n(c)\r\n");
    rig.WriteProgram("BARE.CNC", "G71\r\n(c)\r\n");
    const struct {
        QStringList labels; // the last one adds the line
        ScanHistory::Mark mark;
        QString reason;     // a part of the reason the entry and the log give
    } cases[] = {
        {{"%11SIZED N X %"}, ScanHistory::Mark::Normal, ""},
        {{"%12GONE N X %", "%22600 400 20 %"}, ScanHistory::Mark::Doubtful, "program file C:\\PRODUCT\\GONE.CNC not found"},
        {{"%11BARE N X %"}, ScanHistory::Mark::Doubtful, "sizes missing: X, Y, Z empty"},
        {{"%11SIZED QQ X %"}, ScanHistory::Mark::Doubtful, "\"QQ\" is none of the field codes, so the line has position 37"},
        {{"%A1%", "%11SIZED N X %"}, ScanHistory::Mark::Doubtful, "the label's field N is ignored: field A1 was fixed before it"},
        {{"%11..\\SIZED N X %"}, ScanHistory::Mark::Refused, "points outside the program folder"},
    };
    for (const auto& c : cases) {
        for (const QString& label : c.labels)
            dispatch(label);
        const ScanHistory::Entry& entry = rig.processing->History().Entries().first();
        const QString outcomes = entry.outcomes.join('|');
        EXPECT_EQ(entry.mark, c.mark) << c.labels.join(' ').toStdString() << ": " << outcomes.toStdString();
        EXPECT_TRUE(outcomes.contains(c.reason)) << outcomes.toStdString();
        if (c.mark == ScanHistory::Mark::Doubtful) {
            EXPECT_EQ(rig.env.LogLines().filter("scan doubtful: ").filter(c.reason).size(), 1) << c.reason.toStdString();
        }
    }
}
