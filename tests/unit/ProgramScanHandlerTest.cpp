#include "support/ScanRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>


namespace {

const QByteArray isoProgram = "G71 X600 Y400 Z20\r\n(TABLE TOP)\r\nG0 X0 Y0\r\nM30";

class ProgramScanHandlerTest : public testing::Test {
protected:
    // Overwrite starts unticked here; the tests that need it tick it.
    ProgramScanHandlerTest() { state.SetOption(StationState::Option::Overwrite, 0); }

    void scan(const QByteArray& bytes)
    {
        QString s = QString::fromLatin1(bytes);
        processing.HandleProgramScan(s);
    }
    QString programFile(const QString& name) const { return rig.OnDriveC("PRODUCT/" + name); }
    QStringList added() const { return rig.Lines(); }
    bool logHas(const QString& text) const { return env.LogLines().join('\n').contains(text); }

    ScanRig rig;
    TestEnvironment& env = rig.env;
    StationState& state = rig.state;
    StatusRecorder& statuses = rig.statuses;
    FakeSerialPort& port = rig.port;
    RunState& run = rig.run;
    ListManagerLink& link = rig.link;
    InstantPauser& pauser = rig.pauser;
    std::shared_ptr<FakeListManager> server = rig.recorder;
    ScanProcessing& processing = *rig.processing;
    ScanFields& fields = processing.Fields();
};

TEST_F(ProgramScanHandlerTest, AHeaderWithAllSizesSavesTheTextAndReadsNoFile)
{
    fields.CurrentComment = "EARLIER PROGRAM";
    scan("P1^X100^Y50^Z20^UN!  " + isoProgram + "  ");

    // The folder did not exist; the text is saved trimmed, byte for byte, with CR LF added.
    EXPECT_EQ(TestEnvironment::Read(programFile("P1")), isoProgram + "\r\n");
    ASSERT_EQ(added().size(), 1);
    EXPECT_TRUE(added()[0].startsWith("#161=P1;#164=1;#171=1;"));
    EXPECT_TRUE(added()[0].contains("#165=1;#168=100;#169=50;#170=20;"));
    // The file's own sizes and comment were not read.
    EXPECT_EQ(fields.LastComment, "EARLIER PROGRAM");
    EXPECT_EQ(fields.LastProgramName, "P1");

    EXPECT_TRUE(port.sent.isEmpty()); // no acknowledgement for program scans
    EXPECT_TRUE(statuses.texts.contains("Wait saving g-code."));
    EXPECT_EQ(state.Status(), "Ready.");
    EXPECT_EQ(state.Indicators(), (std::array<bool, 5>{}));
    EXPECT_FALSE(state.AutoFieldSelection());
    EXPECT_EQ(fields.CurrentProgramName, " ");
    EXPECT_EQ(fields.CurrentFieldCode, " ");
    EXPECT_EQ(pauser.pauses, 2);
    EXPECT_NEAR(pauser.paused, 1.2, 1e-6);
}

TEST_F(ProgramScanHandlerTest, MissingSizesComeFromTheSavedFile)
{
    scan("P2^X150^UN!" + isoProgram);
    ASSERT_EQ(added().size(), 1);
    // X from the header, Y and Z from the file's first line.
    EXPECT_TRUE(added()[0].contains("#168=150;#169=400;#170=20;"));
    EXPECT_EQ(fields.LastComment, "TABLE TOP");
}

TEST_F(ProgramScanHandlerTest, OnlyTextsOfMoreThanTenCharactersAreSaved)
{
    scan("SHORT^X1^Y2^Z3^UN!  0123456789  ");
    EXPECT_FALSE(QFile::exists(programFile("SHORT")));
    ASSERT_EQ(added().size(), 1);
    EXPECT_TRUE(added()[0].contains("#161=SHORT;"));
    EXPECT_TRUE(added()[0].contains("#168=1;#169=2;#170=3;"));

    scan("LONG^X1^Y2^Z3^UN!01234567890");
    EXPECT_EQ(TestEnvironment::Read(programFile("LONG")), "01234567890\r\n");
}

TEST_F(ProgramScanHandlerTest, OverwriteDecidesWhetherAnExistingProgramIsReplaced)
{
    const QByteArray old = "G70 X10 Y20 Z30\r\n(OLD ONE)\r\n";
    env.Write(programFile("P3"), old);
    scan("P3^UN!" + isoProgram);
    EXPECT_EQ(TestEnvironment::Read(programFile("P3")), old);
    ASSERT_EQ(added().size(), 1);
    EXPECT_TRUE(added()[0].contains("#168=10;#169=20;#170=30;")); // sizes of the file kept
    EXPECT_EQ(fields.LastComment, "OLD ONE");

    // An empty file counts as no file.
    env.Write(programFile("EMPTY"), "");
    scan("EMPTY^UN!" + isoProgram);
    EXPECT_EQ(TestEnvironment::Read(programFile("EMPTY")), isoProgram + "\r\n");

    state.SetOption(StationState::Option::Overwrite, 1);
    scan("P3^UN!" + isoProgram);
    EXPECT_EQ(TestEnvironment::Read(programFile("P3")), isoProgram + "\r\n");
    EXPECT_TRUE(added().last().contains("#168=600;#169=400;#170=20;"));
    // Replaced through a temporary file: nothing else is left in the folder.
    EXPECT_EQ(QDir(programFile("")).entryList(QDir::Files).size(), 2);
}

TEST_F(ProgramScanHandlerTest, TheHeaderTags)
{
    // The last X wins, values lose their spaces, lower-case and unknown tags, empty fields and
    // fields after the 14th are ignored.
    scan("P4^X1^ x9^X 250 ^Y60^^Q7^V3^Z5^a^b^c^d^e^f^Z99^Y77!short");
    ASSERT_EQ(added().size(), 1);
    EXPECT_TRUE(added()[0].contains("#168=250;#169=60;#170=5;")) << added()[0].toStdString();

    // The name is used as it stands: no extension, spaces kept.
    scan(" P 5 ^X1^Y1^Z1!short");
    EXPECT_TRUE(added().last().startsWith("#161= P 5 ;"));
}

TEST_F(ProgramScanHandlerTest, TheUTagGivesWayToAFieldFixedEarlier)
{
    fields.CurrentFieldCode = "M"; // as a field-selection label leaves it
    scan("P6^X1^Y1^Z1^UN!short");
    EXPECT_TRUE(added().last().contains("#171=2;#284=1;")) << added().last().toStdString();

    // After the reset the code is one space: blank, so the tag counts again.
    EXPECT_EQ(fields.CurrentFieldCode, " ");
    scan("P7^X1^Y1^Z1^UN!short");
    EXPECT_TRUE(added().last().contains("#171=1;#284=0;")) << added().last().toStdString();
}

TEST_F(ProgramScanHandlerTest, ThePrefixAfterCharacter209IsEightCharactersLong)
{
    QString s = QString::fromLatin1("\xd1" "2345678P8^X1^Y2^Z3^UN!" + isoProgram);
    processing.HandleProgramScan(s);
    EXPECT_TRUE(s.startsWith("P8^"));
    EXPECT_TRUE(QFile::exists(programFile("P8")));
    EXPECT_TRUE(added().last().startsWith("#161=P8;"));

    // Elsewhere the character is part of the name.
    scan("P\xd1" "9^X1^Y2^Z3^UN!short");
    EXPECT_TRUE(added().last().startsWith(QString::fromLatin1("#161=P\xd1" "9;")));
}

TEST_F(ProgramScanHandlerTest, WithoutExclamationMarkTheFieldsAsTheyStandAreAdded)
{
    fields.CurrentProgramName = "LABEL.CNC";
    fields.CurrentFieldCode = "N";
    fields.CurrentSizeX = "300";
    fields.CurrentSizeY = "200";
    fields.CurrentSizeZ = "10";
    scan("X1^Y2^Z3");
    ASSERT_EQ(added().size(), 1);
    EXPECT_TRUE(added()[0].startsWith("#161=LABEL.CNC;"));
    EXPECT_TRUE(added()[0].contains("#168=300;#169=200;#170=10;")); // the header is not read
    EXPECT_TRUE(QDir(programFile("")).isEmpty());
    EXPECT_EQ(fields.CurrentProgramName, " ");
}

TEST_F(ProgramScanHandlerTest, AListRequestClearsTheListAndOpensTheFile)
{
    QString s = "*%00JOB7^\r";
    processing.HandleProgramScan(s);
    EXPECT_EQ(s, "JOB7");
    EXPECT_EQ(server->calls, (QStringList{"ClearList", "OpenList C:\\LISTS\\JOB7.LST"}));

    // With "!" it is a program named "*%00...".
    server->calls.clear();
    scan("*%00JOB7^X1^Y1^Z1!short");
    EXPECT_EQ(server->Count("OpenList"), 0);
    EXPECT_EQ(server->Count("AddLine"), 1);
}

TEST_F(ProgramScanHandlerTest, AMirrorTriggerAddsTheProgramTwiceWithoutAcknowledgement)
{
    AutoSelectRules& rules = processing.Rules();
    rules.SetTriggerSource(AutoSelectRules::Source::ProgramName);
    rules.SetShownMirror(false); // "Norm and Mirror"
    rules.Rule(AutoSelectRules::Source::ProgramName, false).Text = "*";
    scan("P14^X100^Y50^Z20!" + isoProgram);
    ASSERT_EQ(added().size(), 2);
    EXPECT_TRUE(added()[0].startsWith("#161=P14;"));
    EXPECT_TRUE(added()[1].startsWith("#161=P14;"));
    EXPECT_TRUE(port.sent.isEmpty());
}

TEST_F(ProgramScanHandlerTest, TheFirstScanShowsTheFallbackListAndClearsTheWorkList)
{
    run.FirstScanPending = true;
    link.FallbackExeList = server;
    scan("P9^X1^Y1^Z1^UN!short");
    ASSERT_GE(server->calls.size(), 3);
    EXPECT_EQ(server->calls[0], "Visible True");
    EXPECT_EQ(server->calls[1], "ClearList");
    EXPECT_TRUE(server->calls[2].startsWith("AddLine "));
    EXPECT_FALSE(run.FirstScanPending);

    scan("P10^X1^Y1^Z1^UN!short");
    EXPECT_EQ(server->Count("ClearList"), 1);
}

TEST_F(ProgramScanHandlerTest, ANameReachingOutsideTheProgramFolderIsRefused)
{
    const QByteArray names[] = {"..\\P1", "SUB/../../P1", "/tmp/P1", "D:\\P1", "C:P1", "  "};
    for (const QByteArray& name : names) {
        state.SetStatus("Ready.");
        scan(name + "^X1^Y1^Z1^UN!" + isoProgram);
        EXPECT_TRUE(state.Status().startsWith("Program barcode refused: ")) << name.constData();
        EXPECT_TRUE(env.LogLines().last().startsWith("ERROR program barcode refused, nothing saved or added: "))
            << name.constData();
    }
    EXPECT_EQ(server->Count("AddLine"), 0);
    EXPECT_FALSE(QFile::exists(rig.OnDriveC("P1")));
    EXPECT_FALSE(QFile::exists("/tmp/P1"));
    EXPECT_FALSE(QDir(env.DataFolder() + "/drive_d").exists());
    EXPECT_EQ(fields.CurrentProgramName, " "); // nothing of the refused scan stays for the next
    EXPECT_TRUE(fields.LastProgramName.isEmpty());

    // A name going down into a sub-folder is fine, and so is a blank name when nothing is saved.
    scan("SUB\\P1^X1^Y1^Z1^UN!" + isoProgram);
    EXPECT_EQ(TestEnvironment::Read(programFile("SUB/P1")), isoProgram + "\r\n");
    scan("^X1^Y1^Z1^UN!short");
    EXPECT_EQ(server->Count("AddLine"), 2);
}

TEST_F(ProgramScanHandlerTest, AProgramThatCannotBeSavedIsReportedAndNothingAdded)
{
    // A line for a program that is missing, or older than the barcode, would run the wrong one.
    env.Write(rig.OnDriveC("PRODUCT"), "a file where the folder should be");
    scan("P11^X1^Y2^Z3^UN!" + isoProgram);
    EXPECT_TRUE(added().isEmpty());
    // The failure, not "Ready.", stays on the status line.
    EXPECT_TRUE(state.Status().startsWith("Program P11 not saved: ")) << state.Status().toStdString();
    EXPECT_TRUE(state.Status().endsWith("; nothing added.")) << state.Status().toStdString();
    EXPECT_TRUE(logHas("ERROR program C:\\PRODUCT\\P11 not saved to ")); // paths as they are
    EXPECT_EQ(fields.CurrentProgramName, " "); // nothing of the failed scan stays for the next
    QFile::remove(rig.OnDriveC("PRODUCT"));

    // A name as long as a file name may be is saved: its temporary file needs no longer name.
    const QByteArray longest(251, 'L');
    scan(longest + ".CNC^X1^Y2^Z3^UN!" + isoProgram);
    EXPECT_EQ(TestEnvironment::Read(programFile(longest + ".CNC")), isoProgram + "\r\n");
    ASSERT_EQ(added().size(), 1);
    scan(longest + "X.CNC^X1^Y2^Z3^UN!" + isoProgram); // one byte past what a name may be
    EXPECT_TRUE(state.Status().startsWith("Program " + longest + "X.CNC not saved: ")) << state.Status().toStdString();
    EXPECT_EQ(added().size(), 1);
}

TEST_F(ProgramScanHandlerTest, ShowEdStartsTheEditorAfterTheLine)
{
    state.SetOption(StationState::Option::ShowEd, 1);
    scan("P13^X1^Y2^Z3^UN!" + isoProgram);
    // No editor is installed here: the failure is logged and nothing else changes.
    EXPECT_TRUE(logHas("editor not started for " + programFile("P13")));
    EXPECT_EQ(added().size(), 1);
    EXPECT_EQ(state.Status(), "Ready.");
}

} // namespace
