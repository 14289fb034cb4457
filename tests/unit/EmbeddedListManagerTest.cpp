#include "listmgr/EmbeddedListManager.h"
#include "listmgr/LinuxCncLine.h"
#include "listmgr/ListManagerJournal.h"
#include "platform/RuntimeError.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

class EmbeddedListManagerTest : public testing::Test {
protected:
    QStringList journal() const
    {
        QStringList lines = QString::fromUtf8(TestEnvironment::Read(EmbeddedListManager::JournalPath())).split('\n');
        lines.removeAll(QString());
        return lines;
    }
    // The journal without its time stamps.
    QStringList calls() const
    {
        QStringList out;
        for (const QString& line : journal())
            out << line.section('\t', 1);
        return out;
    }

    TestEnvironment env;
};

TEST_F(EmbeddedListManagerTest, EveryCallIsJournalledInTheDocumentedFormat)
{
    EmbeddedListManager server;
    EXPECT_TRUE(server.NewList());
    server.AddLine(ListFields::Read("#161=P1.CNC;#164=1;#171=10;#284=1;"));
    server.AddLine(ListFields::Read("with\ttab"));
    server.Start();
    server.Hold();
    server.Setpoint();
    server.End();
    server.Visible(true);
    server.Clear();
    server.ClearList();

    const QRegularExpression stamp("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}\\t");
    for (const QString& line : journal())
        EXPECT_TRUE(stamp.match(line).hasMatch()) << line.toStdString();
    EXPECT_EQ(calls(), QStringList({"NewList", "AddLine\t#161=P1.CNC;#164=1;#171=10;#284=1;", "AddLine\twith\\x09tab",
                                    "Start", "Hold", "Setpoint", "End", "Visible\tTrue", "Clear", "ClearList"}));
}

TEST_F(EmbeddedListManagerTest, TheJournalIsRotatedAsTheLogIs)
{
    ListManagerJournal journal(EmbeddedListManager::JournalPath());
    const QString line(64 * 1024, 'L');
    for (int i = 0; i < 20; ++i)
        journal.Record("AddLine", &line);
    EXPECT_TRUE(QFile::exists(journal.Path() + ".1"));
    EXPECT_LE(QFileInfo(journal.Path()).size(), LogFile::DefaultLimit);
    EXPECT_GT(QFileInfo(journal.Path()).size(), 0);
}

TEST_F(EmbeddedListManagerTest, RunStateAndSetpoints)
{
    EmbeddedListManager server;
    EXPECT_EQ(server.State(), EmbeddedListManager::Run::Ended);
    server.Hold();
    EXPECT_EQ(server.State(), EmbeddedListManager::Run::Ended); // nothing runs, nothing to hold
    server.Start();
    server.Hold();
    EXPECT_EQ(server.State(), EmbeddedListManager::Run::Held);
    server.Start();
    EXPECT_EQ(server.State(), EmbeddedListManager::Run::Running);
    server.Setpoint();
    server.Setpoint();
    EXPECT_EQ(server.Setpoints(), 2);
    server.End();
    EXPECT_EQ(EmbeddedListManager::RunText(server.State()), "ended");
}

TEST_F(EmbeddedListManagerTest, TheWorkListSurvivesARestartByteForByte)
{
    const QString latin = QString::fromLatin1("#161=PI\xD1" "A.CNC;#168=600;");
    {
        EmbeddedListManager server;
        server.AddLine(ListFields::Read("#161=A.CNC;"));
        server.AddLine(ListFields::Read(latin));
    }
    EXPECT_EQ(TestEnvironment::Read(env.DataFolder() + "/worklist.lst"), QByteArray("#161=A.CNC;\n#161=PI\xD1" "A.CNC;#168=600;\n"));
    EmbeddedListManager again;
    EXPECT_EQ(again.Lines(), QStringList({"#161=A.CNC;", latin}));
    // A clear (the first scan after a restart makes one) leaves the removed lines on record.
    again.ClearList();
    EXPECT_EQ(env.LogLines().filter("work list: removed line ").size(), 2);
    EXPECT_EQ(env.LogLines().filter("work list: removed line 2 (waiting): #161=PI").size(), 1);
    EmbeddedListManager third;
    EXPECT_TRUE(third.Lines().isEmpty());
}

TEST_F(EmbeddedListManagerTest, ALineHoldingALineEndIsRefusedAndTheSavedListStaysReadable)
{
    EmbeddedListManager server;
    server.AddLine(ListFields::Read("#161=P1.CNC;"));
    for (const char* line : {"#161=P2\r.CNC;", "#161=P3.CNC;#168=6\n00;", "#161=P4\a.CNC;", "#161=P5\x1b.CNC;"}) {
        try {
            server.AddLine(ListFields::Read(line));
            ADD_FAILURE() << "accepted: " << line;
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), RuntimeError::InvalidArgument);
        }
    }
    EXPECT_EQ(EmbeddedListManager().Lines(), QStringList({"#161=P1.CNC;"}));
    EXPECT_TRUE(calls().last().endsWith("\terror 5")) << calls().last().toStdString();
}

TEST_F(EmbeddedListManagerTest, AListFileReplacesTheList)
{
    env.Write(env.DataFolder() + "/drive_c/KARN/lsx/DAY.LST", "; today\r\n#161=A.CNC;\r\n\r\n   \r\n#161=B.CNC;\r\n");
    EmbeddedListManager server;
    server.AddLine(ListFields::Read("#161=OLD.CNC;"));
    server.OpenList("C:\\KARN\\lsx\\DAY.LST");
    EXPECT_EQ(server.Lines(), QStringList({"#161=A.CNC;", "#161=B.CNC;"}));
    EXPECT_EQ(calls().last(), "OpenList\tC:\\KARN\\lsx\\DAY.LST");
    EXPECT_EQ(EmbeddedListManager(nullptr).Lines(), server.Lines());
}

TEST_F(EmbeddedListManagerTest, AMissingListFileFailsWith53AndKeepsTheList)
{
    EmbeddedListManager server;
    server.AddLine(ListFields::Read("#161=A.CNC;"));
    try {
        server.OpenList("C:\\KARN\\lsx\\NONE.LST");
        FAIL() << "no error";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.Number(), 53);
    }
    EXPECT_EQ(calls().last(), "OpenList\tC:\\KARN\\lsx\\NONE.LST\terror 53");
    EXPECT_EQ(server.Lines(), QStringList({"#161=A.CNC;"}));
}

TEST_F(EmbeddedListManagerTest, AChangeThatCannotBeSavedIsNotMade)
{
    EmbeddedListManager server;
    server.AddLine(ListFields::Read("#161=A.CNC;"));
    // The saved list's place is taken by a folder, so the rename cannot succeed.
    QFile::remove(EmbeddedListManager::WorkListPath());
    QDir().mkpath(EmbeddedListManager::WorkListPath() + "/blocked");
    EXPECT_THROW(server.AddLine(ListFields::Read("#161=B.CNC;")), RuntimeError);
    EXPECT_THROW(server.ClearList(), RuntimeError);
    EXPECT_EQ(server.Lines(), QStringList({"#161=A.CNC;"}));
    EXPECT_TRUE(calls().last().startsWith("ClearList\terror "));
    EXPECT_TRUE(env.LogLines().last().contains("ClearList failed"));
}

TEST_F(EmbeddedListManagerTest, ALinkInPlaceOfTheSavedListIsNeitherReadNorWrittenThrough)
{
    const QString outside = env.Write(env.Root() + "/outside.txt", "#161=SECRET.CNC;\n");
    ASSERT_TRUE(QDir().mkpath(env.DataFolder()));
    ASSERT_TRUE(QFile::link(outside, EmbeddedListManager::WorkListPath()));
    EmbeddedListManager server;
    EXPECT_TRUE(server.Lines().isEmpty());
    EXPECT_TRUE(env.LogLines().join('\n').contains("is a symbolic link")) << env.LogLines().join('\n').toStdString();
    server.AddLine(ListFields::Read("#161=A.CNC;"));
    EXPECT_EQ(TestEnvironment::Read(outside), "#161=SECRET.CNC;\n");
    EXPECT_FALSE(QFileInfo(EmbeddedListManager::WorkListPath()).isSymLink());
    EXPECT_EQ(EmbeddedListManager().Lines(), QStringList({"#161=A.CNC;"}));
}

TEST_F(EmbeddedListManagerTest, ListFileLinesAreReadIntoFieldsAndGoBackAsTheyCame)
{
    const struct {
        const char* line;
        int number;        // a field looked up in the line read
        const char* value; // what the window shows for it
        const char* refusal; // what a run says of the line; "" when it runs
    } cases[] = {
        {"#161=A.CNC;#200=5;", 200, "5", ""},
        {"#161=B.CNC;#164=1;#164=2;#161=X.CNC;", 164, "1", ""},
        {"#161=C.CNC;#31", 161, "C.CNC", "\"#31\" in the line is no field (#number=value)"},
        {"#161=D.CNC ;;  ;#168= 600 ", 168, " 600 ", ""},
        {"#161=E.CNC;#282=;#283=", 282, "", ""},
        {"G0 X0 Y0", 161, "", "\"G0 X0 Y0\" in the line is no field (#number=value)"},
        {"#161=F.CNC;\t#164=1\t;", 164, "", "\"\t#164=1\t\" in the line is no field (#number=value)"},
        {"#161=G\xD1.CNC;#170=1.5;;", 161, "G\xD1.CNC", ""},
    };
    QByteArray file = "; from another station\r\n\r\n";
    QByteArray saved;
    for (const auto& c : cases) {
        file += QByteArray(c.line) + "\r\n";
        saved += QByteArray(c.line) + "\n";
    }
    env.Write(env.DataFolder() + "/drive_c/KARN/lsx/ANY.LST", file);
    EmbeddedListManager server;
    server.OpenList("C:\\KARN\\lsx\\ANY.LST");
    EXPECT_EQ(TestEnvironment::Read(EmbeddedListManager::WorkListPath()), saved);
    ASSERT_EQ(server.List().Entries().size(), static_cast<qsizetype>(std::size(cases)));
    for (qsizetype i = 0; i < server.List().Entries().size(); ++i) {
        const ListFields& fields = server.List().Entries()[i].fields;
        EXPECT_EQ(fields.Value(cases[i].number), QString::fromLatin1(cases[i].value)) << cases[i].line;
        EXPECT_EQ(LinuxCncLine(fields).Refusal(), QString::fromLatin1(cases[i].refusal)) << cases[i].line;
    }
    // Loaded again after a restart, the lines are saved once more with the next change.
    EmbeddedListManager again;
    again.AddLine(ListFields::Read("#161=Z.CNC;"));
    EXPECT_EQ(TestEnvironment::Read(EmbeddedListManager::WorkListPath()), saved + "#161=Z.CNC;\n");
}

TEST_F(EmbeddedListManagerTest, FieldValuesAreFoundAtFieldStartsOnly)
{
    const ListFields line = ListFields::Read("#161=P#1611=.CNC;#1611=x;#171=10;#284=1;#283=");
    EXPECT_EQ(line.Value(161), "P#1611=.CNC");
    EXPECT_EQ(line.Value(1611), "x");
    EXPECT_EQ(line.Value(171), "10");
    EXPECT_EQ(line.Value(283), "");
    EXPECT_EQ(line.Value(168), "");
}

} // namespace
