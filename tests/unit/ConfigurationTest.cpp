#include "config/Configuration.h"
#include "listmgr/LinuxCncSettings.h"
#include "platform/FileFinder.h"
#include "platform/Paths.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "station/StationState.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeProcessExit.h"
#include "support/TestEnvironment.h"

#include <QDir>

#include <functional>

#include <gtest/gtest.h>

namespace {

class ConfigurationTest : public testing::Test {
protected:
    void inProgramFolder(const QByteArray& body) { env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n" + body); }
    void inWindowsDirectory(const QByteArray& body) { env.Write(env.WindowsDirectory() + "/ZEM.INI", "[GESTBCOD]\r\n" + body); }
    bool load() { return config.LoadSettings(state); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    StationState state;
    Configuration config{boxes};
};

TEST_F(ConfigurationTest, AnEmptyFileGivesTheDefaults)
{
    inProgramFolder("");
    ASSERT_TRUE(load());
    EXPECT_EQ(config.SerialSettings, "9600,N,8,1");
    EXPECT_EQ(config.GCodePath, "C:\\KARN\\PRODUCT\\");
    EXPECT_EQ(config.ListPath, "C:\\KARN\\PRODUCT\\lsx\\");
    EXPECT_EQ(config.CommPort, 1);
    EXPECT_EQ(config.CSVInPath, "C:");
    EXPECT_EQ(config.CSVOutPath, "C:\\Tarvex.csv");
    EXPECT_EQ(config.TimerInterval, 1000);
    EXPECT_TRUE(state.IsTicked(StationState::Option::AutoStart));
    EXPECT_TRUE(state.IsTicked(StationState::Option::Overwrite));
    EXPECT_TRUE(state.IsTicked(StationState::Option::AClear));
    EXPECT_TRUE(state.ShowEdHidden());
    EXPECT_TRUE(boxes.shown.isEmpty());
}

TEST_F(ConfigurationTest, GCodePathGetsOneTrailingBackslashAndListPathKeepsItsDefault)
{
    inProgramFolder("GCodePath=  D:\\Progs  \r\n");
    load();
    EXPECT_EQ(config.GCodePath, "D:\\Progs\\");
    EXPECT_EQ(config.ListPath, "C:\\KARN\\PRODUCT\\lsx\\");

    ProfileFile::WriteString(config.NativeIniFilePath(), "GESTBCOD", "GCodePath", "D:\\Progs\\");
    ProfileFile::WriteString(config.NativeIniFilePath(), "GESTBCOD", "ListPath", " L:\\Lists\\ ");
    load();
    EXPECT_EQ(config.GCodePath, "D:\\Progs\\");
    EXPECT_EQ(config.ListPath, "L:\\Lists\\");
}

TEST_F(ConfigurationTest, CsvPathsLoseOneTrailingBackslash)
{
    inProgramFolder("CSVInPath=E:\\Data\\\r\nCSVOutPath=E:\\Out\\x.csv\r\n");
    load();
    EXPECT_EQ(config.CSVInPath, "E:\\Data");
    EXPECT_EQ(config.CSVOutPath, "E:\\Out\\x.csv");
}

TEST_F(ConfigurationTest, PollTimeAbove99SetsTheTimer)
{
    inProgramFolder("CommPollTime=99\r\n");
    load();
    EXPECT_EQ(config.TimerInterval, 1000);
    ProfileFile::WriteString(config.NativeIniFilePath(), "GESTBCOD", "CommPollTime", "100");
    load();
    EXPECT_EQ(config.TimerInterval, 100);
}

TEST_F(ConfigurationTest, ValuesOutOfRangeTakeTheDefaultWithAWarningNamingTheKey)
{
    // 2^64 + 3 for the port: it must not wrap around to port 3.
    inProgramFolder("CommPollTime=70000\r\nCommPort=18446744073709551619\r\nAutoClear=3\r\nOverwrite=2\r\nAutoStart=0\r\n");
    config.TimerInterval = 1000;
    load();
    EXPECT_EQ(config.TimerInterval, 1000);
    EXPECT_EQ(config.CommPort, 1);
    EXPECT_EQ(state.OptionValue(StationState::Option::AClear), 1);
    EXPECT_EQ(state.OptionValue(StationState::Option::Overwrite), 2);
    EXPECT_EQ(state.OptionValue(StationState::Option::AutoStart), 0);
    const QString log = env.LogLines().join('\n');
    EXPECT_TRUE(log.contains("CommPollTime=70000"));
    EXPECT_TRUE(log.contains("CommPort=9223372036854775807"));
    EXPECT_TRUE(log.contains("AutoClear=3"));
}

TEST_F(ConfigurationTest, AFileOverOneMebibyteIsRefusedAtStartUpAndNeverWrittenOver)
{
    const QByteArray big = "GCodePath=D:\\BIG\\\r\nCommPort=3\r\n" + QByteArray(20 * 1024 * 1024, ';');
    inProgramFolder(big);
    EXPECT_TRUE(load());
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("File ZEM.INI Not Read\n\n" + env.ProgramFolder() + "/ZEM.INI is larger than 1048576 bytes"))
        << boxes.shown[0].text.toStdString();
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::Critical);
    EXPECT_TRUE(env.LogLines().join('\n').contains("configuration file refused: "));
    EXPECT_EQ(config.GCodePath, "C:\\KARN\\PRODUCT\\");
    EXPECT_EQ(config.CommPort, 1);
    EXPECT_FALSE(config.WriteIniValue(Configuration::Section, "AutoClear", "0"));
    EXPECT_EQ(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").size(), big.size() + 12);
}

TEST_F(ConfigurationTest, LongTextValuesAreCutTo127Characters)
{
    inProgramFolder("GCodePath=" + QByteArray(300, 'p') + "\r\n");
    load();
    EXPECT_EQ(config.GCodePath, QString(127, 'p') + "\\");
}

TEST_F(ConfigurationTest, TheProgramFolderWinsAndReceivesTheWrites)
{
    inProgramFolder("CommPort=3\r\n");
    inWindowsDirectory("CommPort=4\r\n");
    load();
    EXPECT_EQ(config.CommPort, 3);
    ASSERT_TRUE(config.WriteIniValue("GESTBCOD", "AutoClear", "0"));
    EXPECT_TRUE(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").contains("AutoClear=0"));
    EXPECT_FALSE(TestEnvironment::Read(env.WindowsDirectory() + "/ZEM.INI").contains("AutoClear"));
}

TEST_F(ConfigurationTest, TheWindowsDirectoryIsTheSecondPlace)
{
    inWindowsDirectory("CommPort=4\r\n");
    ASSERT_TRUE(load());
    EXPECT_EQ(config.CommPort, 4);
}

TEST_F(ConfigurationTest, NoFileIsReportedAndLaterWritesGoToTheWindowsDirectory)
{
    EXPECT_FALSE(load());
    ASSERT_EQ(boxes.shown.size(), 1);
    // The message names both places looked in and the sample to start from.
    EXPECT_TRUE(boxes.shown[0].text.startsWith("File ZEM.INI Not Found\n")) << boxes.shown[0].text.toStdString();
    EXPECT_TRUE(boxes.shown[0].text.contains(env.ProgramFolder() + "/ZEM.INI"));
    EXPECT_TRUE(boxes.shown[0].text.contains(env.WindowsDirectory() + "/ZEM.INI"));
    EXPECT_TRUE(boxes.shown[0].text.contains(Configuration::SampleFile()));
    EXPECT_EQ(boxes.shown[0].icon, MessageBoxes::Icon::Critical);
    EXPECT_FALSE(state.ShowEdHidden());
    EXPECT_TRUE(config.SerialSettings.isEmpty());
    EXPECT_EQ(config.CommPort, 0);

    // Not even the folder is there on a first start: the first save makes it.
    ASSERT_TRUE(QDir(env.WindowsDirectory()).removeRecursively());
    ASSERT_TRUE(config.WriteIniValue("GESTBCOD", "AutoClear", "1"));
    EXPECT_EQ(TestEnvironment::Read(env.WindowsDirectory() + "/ZEM.INI"), QByteArray("[GESTBCOD]\r\nAutoClear=1\r\n"));
}

TEST_F(ConfigurationTest, TextsWithBlanksOrQuotesAtTheEndsReadBackExactly)
{
    inProgramFolder("");
    load();
    for (const QString& text : {QString("A "), QString(" A"), QString("\tA"), QString("'x'"), QString("\"y\""), QString("\""),
                                QString("a b"), QString()}) {
        ASSERT_TRUE(config.WriteIniText("GESTBCOD", "PNameMirrorText", text));
        EXPECT_EQ(config.ReadIniValue("GESTBCOD", "PNameMirrorText"), text) << text.toStdString();
    }
    // Plain texts are stored as they are, readable by any other station.
    config.WriteIniText("GESTBCOD", "PNameMirrorText", "a b");
    EXPECT_TRUE(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").contains("PNameMirrorText=a b\r\n"));
    config.WriteIniText("GESTBCOD", "PNameMirrorText", "A ");
    EXPECT_TRUE(TestEnvironment::Read(env.ProgramFolder() + "/ZEM.INI").contains("PNameMirrorText=\"A \"\r\n"));
}

TEST_F(ConfigurationTest, ReadIniValueTreatsMissingAndEndMarkerAsEmpty)
{
    inProgramFolder("A=END.-\r\nB=value\r\nC=" + QByteArray(100, 'c') + "\r\n");
    load();
    EXPECT_EQ(config.ReadIniValue("GESTBCOD", "Missing"), "");
    EXPECT_EQ(config.ReadIniValue("GESTBCOD", "A"), "");
    EXPECT_EQ(config.ReadIniValue("GESTBCOD", "B"), "value");
    EXPECT_EQ(config.ReadIniValue("GESTBCOD", "C").size(), 79);
}

TEST_F(ConfigurationTest, LinuxCncSetpointCommandsAreReadWhole)
{
    // A cut command would still be sent to the machine.
    const QByteArray move = "G53 G0 X" + QByteArray(90, '1');
    inProgramFolder("[LinuxCNC]\r\nSetpoint=G53 G0 Z0;" + move + "\r\n");
    load();
    EXPECT_EQ(LinuxCncSettings::Read(config).setpoint, QStringList({"G53 G0 Z0", QString::fromLatin1(move)}));
}

TEST_F(ConfigurationTest, ALinuxCncPortOutsideOneTo65535KeepsTheDefault)
{
    const struct {
        const char* port;
        quint16 read;
    } cases[] = {{"0", 5007}, {"65536", 5007}, {"-1", 5007}, {"50x", 5007}, {"1", 1}, {"65535", 65535}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.port);
        inProgramFolder(QByteArray("[LinuxCNC]\r\nPort=") + c.port + "\r\n");
        load();
        EXPECT_EQ(LinuxCncSettings::Read(config).port, c.read);
    }
}

TEST_F(ConfigurationTest, FileExistsMatchesNormalFilesAndWildcards)
{
    env.Write(env.DataFolder() + "/drive_c/DATA/P1.CSV", "x");
    env.Write(env.DataFolder() + "/drive_c/DATA/.hidden", "x");
    EXPECT_TRUE(config.FileExists("C:\\DATA\\P1.CSV"));
    EXPECT_TRUE(config.FileExists("C:\\DATA\\*.CSV"));
    EXPECT_FALSE(config.FileExists("C:\\DATA\\*.TXT"));
    EXPECT_FALSE(config.FileExists("C:\\DATA"));
    EXPECT_FALSE(config.FileExists("C:\\DATA\\.hidden"));
    EXPECT_FALSE(config.FileExists("C:\\NOWHERE\\*.CSV"));
    EXPECT_TRUE(boxes.shown.isEmpty());
}

// A file search that answers as the test says.
class ScriptedFinder : public FileFinder {
public:
    bool FindFirst(const QString& pattern) override { return answer(pattern); }
    std::function<bool(const QString&)> answer;
};

TEST_F(ConfigurationTest, FileExistsAsksAgainOnDiskErrors)
{
    int calls = 0;
    QList<int> errors{RuntimeError::DiskNotReady, RuntimeError::DeviceIoError};
    ScriptedFinder finder;
    FakeProcessExit exit;
    Configuration config(boxes, finder, exit);
    finder.answer = [&](const QString&) {
        ++calls;
        if (!errors.isEmpty())
            throw RuntimeError(errors.takeFirst(), "disk");
        return true;
    };
    boxes.answers = {MessageBoxes::Answer::Ok, MessageBoxes::Answer::Retry};
    EXPECT_TRUE(config.FileExists("A:\\X"));
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(boxes.Texts(), QStringList({"Insert Disk", "Unformatted Disk"}));
    EXPECT_EQ(boxes.shown[0].buttons, MessageBoxes::Buttons::OkCancel);
    EXPECT_EQ(boxes.shown[1].buttons, MessageBoxes::Buttons::RetryCancel);

    errors = {RuntimeError::DiskNotReady};
    boxes.answers = {MessageBoxes::Answer::Cancel};
    EXPECT_FALSE(config.FileExists("A:\\X"));
}

TEST_F(ConfigurationTest, FileExistsEndsTheProgramOnlyOnUnexpectedErrors)
{
    ScriptedFinder finder;
    FakeProcessExit exit;
    Configuration config(boxes, finder, exit);
    const bool& ended = exit.ended;
    int number = RuntimeError::PathNotFound;
    finder.answer = [&](const QString&) -> bool { throw RuntimeError(number, "boom"); };
    EXPECT_FALSE(config.FileExists("X"));
    number = RuntimeError::DeviceUnavailable;
    EXPECT_FALSE(config.FileExists("X"));
    number = RuntimeError::PermissionDenied;
    EXPECT_FALSE(config.FileExists("X"));
    EXPECT_FALSE(ended);
    EXPECT_TRUE(boxes.shown.isEmpty());

    number = 52;
    EXPECT_FALSE(config.FileExists("X"));
    EXPECT_TRUE(ended);
    EXPECT_EQ(boxes.Texts(), QStringList({"Unexpected error #52 occured: boom"}));
}

} // namespace
