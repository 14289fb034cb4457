// Every writer of the program on a full disk and in a folder it may not write: the operator is
// told, the log has a record, what the file held before is still there, and once the disk has
// room again the next write works.
#include "config/Configuration.h"
#include "config/RunState.h"
#include "config/SerialLink.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManagerLink.h"
#include "platform/Files.h"
#include "platform/RuntimeError.h"
#include "program/CsvTransfer.h"
#include "support/FakeClock.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMainView.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <memory>
#include <unistd.h>

namespace {

// Writes past this offset fail. The log stays far below it, so its records still get written.
constexpr rlim_t limit = 64 * 1024;

// Comment lines that make a file larger than the limit, so any rewrite of it must fail.
QByteArray bulk(const QByteArray& lineEnd, int bytes = 80 * 1024)
{
    QByteArray out;
    for (int i = 0; out.size() < bytes; ++i)
        out += ";filler line " + QByteArray::number(i) + lineEnd;
    return out;
}

class DiskFaultTest : public testing::Test {
protected:
    QString ini() const { return env.WindowsDirectory() + "/ZEM.INI"; }
    // Nothing but the target file in its folder: no temporary file was left behind.
    static int filesIn(const QString& folder) { return static_cast<int>(QDir(folder).entryList(QDir::Files).size()); }
    bool logged(const QString& text) const { return env.LogLines().join('\n').contains(text); }
    // The folder cannot be written into; root ignores the permission, so such tests skip.
    static bool makeReadOnly(const QString& folder)
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
        return geteuid() != 0;
    }
    static void makeWritable(const QString& folder)
    {
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    FakeMainView view;
    Configuration config{boxes};
};

TEST_F(DiskFaultTest, ConfigurationOnAFullDisk)
{
    const QByteArray before = "[GESTBCOD]\r\nSettings=9600,N,8,1\r\nCommPort=1\r\n" + bulk("\r\n");
    env.Write(ini(), before);
    config.IniFilePath = ini();
    config.SerialSettings = "19200,E,7,1";
    config.CommPort = 2;
    FakeSerialPort port;
    SerialLink link(config, port, view, boxes);
    {
        FileSizeLimit full(limit);
        EXPECT_FALSE(config.WriteIniValue(Configuration::Section, "AutoStart", "0"));
        link.SaveSerialSettings();
    }
    EXPECT_TRUE(TestEnvironment::Read(ini()) == before);
    EXPECT_EQ(filesIn(env.WindowsDirectory()), 1);
    EXPECT_EQ(view.status, "Could not save the serial settings to " + ini() + ".");
    EXPECT_TRUE(logged("could not write AutoStart=0 to " + ini()));
    EXPECT_TRUE(logged("could not write Settings=19200,E,7,1"));

    link.SaveSerialSettings();
    EXPECT_EQ(config.ReadIniValue(Configuration::Section, "Settings"), "19200,E,7,1");
    EXPECT_EQ(config.ReadIniValue(Configuration::Section, "CommPort"), "2");
    EXPECT_TRUE(TestEnvironment::Read(ini()).endsWith(bulk("\r\n")));
}

TEST_F(DiskFaultTest, ConfigurationWhereNoFileCanBeWritten)
{
    // A folder in the path that is a regular file: refused for root as well.
    env.Write(env.Root() + "/plain", "not a folder");
    config.IniFilePath = env.Root() + "/plain/ZEM.INI";
    EXPECT_FALSE(config.WriteIniValue(Configuration::Section, "AutoStart", "0"));
    EXPECT_TRUE(logged("could not write AutoStart=0 to " + config.IniFilePath));

    const QByteArray before = "[GESTBCOD]\r\nAutoStart=1\r\n";
    env.Write(ini(), before);
    config.IniFilePath = ini();
    if (makeReadOnly(env.WindowsDirectory())) {
        EXPECT_FALSE(config.WriteIniValue(Configuration::Section, "AutoStart", "0"));
        EXPECT_TRUE(TestEnvironment::Read(ini()) == before);
    }
    makeWritable(env.WindowsDirectory());
    EXPECT_TRUE(config.WriteIniValue(Configuration::Section, "AutoStart", "0"));
    EXPECT_EQ(TestEnvironment::Read(ini()), "[GESTBCOD]\r\nAutoStart=0\r\n");
}

class WorkListFaultTest : public DiskFaultTest {
protected:
    WorkListFaultTest()
    {
        table.InitFieldCodeTable();
        QStringList lines;
        for (int i = 0; i < 1200; ++i)
            lines << QStringLiteral("#161=P%1.CNC;#164=;#171=1;#284=0;#280=;#165=;#168=600;#169=400;#170=20;").arg(i);
        saved = lines;
        env.Write(EmbeddedListManager::WorkListPath(), lines.join('\n').toLatin1() + '\n');
        server = std::make_shared<EmbeddedListManager>();
        link.ListApp = server;
        link.ExeListObject = server;
        values.programName = "NEW.CNC";
        values.fieldCode = "N";
    }
    QByteArray savedFile() const { return TestEnvironment::Read(EmbeddedListManager::WorkListPath()); }
    QString lastJournalLine() const
    {
        QStringList lines = QString::fromUtf8(TestEnvironment::Read(EmbeddedListManager::JournalPath())).split('\n');
        lines.removeAll(QString());
        return lines.last().section('\t', 1);
    }

    FieldCodeTable table;
    std::shared_ptr<EmbeddedListManager> server;
    FakeListManagerFactory factory;
    FakeClock clock;
    ListManagerLink link{factory, clock};
    ListLine line{table, link, view};
    ListLine::Values values;
    QStringList saved;
};

TEST_F(WorkListFaultTest, AFullDiskLosesNeitherTheQueuedLinesNorTheNewOne)
{
    ASSERT_TRUE(server->Lines() == saved);
    const QByteArray before = savedFile();
    ASSERT_GT(before.size(), static_cast<qsizetype>(limit));
    const QString text = line.ComposeListLine(values);
    {
        FileSizeLimit full(limit);
        EXPECT_FALSE(line.AddLineToList(values));
    }
    EXPECT_TRUE(view.status.startsWith("The line was not added to the list (error 75")) << view.status.toStdString();
    EXPECT_TRUE(env.LogLines().last().endsWith(text));
    EXPECT_EQ(lastJournalLine(), "AddLine\t" + text + "\terror 75");
    // The recovery must not have cleared the work list on the way.
    EXPECT_TRUE(server->Lines() == saved) << server->Lines().size() << " lines";
    EXPECT_TRUE(savedFile() == before);
    EXPECT_EQ(filesIn(env.DataFolder()), 3); // the log, the journal and the work list

    EXPECT_TRUE(line.AddLineToList(values));
    EXPECT_TRUE(server->Lines() == saved + QStringList{text});
    EXPECT_TRUE(EmbeddedListManager().Lines() == saved + QStringList{text});
}

TEST_F(WorkListFaultTest, AReadOnlyDataFolderKeepsTheList)
{
    const QByteArray before = savedFile();
    if (!makeReadOnly(env.DataFolder())) {
        makeWritable(env.DataFolder());
        GTEST_SKIP() << "root writes into read-only folders";
    }
    EXPECT_THROW(server->AddLine("#161=X.CNC;"), RuntimeError);
    EXPECT_THROW(server->ClearList(), RuntimeError);
    makeWritable(env.DataFolder());
    EXPECT_TRUE(server->Lines() == saved);
    EXPECT_TRUE(savedFile() == before);
    EXPECT_TRUE(env.LogLines().last().contains("ClearList failed"));
    server->AddLine("#161=X.CNC;");
    EXPECT_EQ(server->Lines().size(), saved.size() + 1);
}

class CsvFaultTest : public DiskFaultTest {
protected:
    CsvFaultTest()
    {
        config.CSVInPath = "C:\\CSV";
        config.CSVOutPath = "C:\\OUT\\Tarvex.csv";
    }
    QString companion() const { return env.DataFolder() + "/drive_c/CSV/P1.CSV"; }
    QString collecting() const { return env.DataFolder() + "/drive_c/OUT/Tarvex.csv"; }

    RunState run;
    CsvTransfer transfer{config, run, view};
};

TEST_F(CsvFaultTest, AFullDiskAppendsNothingAndKeepsTheCompanion)
{
    // The append would cross the limit half-way: the part that fitted must be taken back.
    const QByteArray before(60 * 1024, 'o');
    const QByteArray content = bulk("\n", 10 * 1024);
    env.Write(collecting(), before);
    env.Write(companion(), content);
    {
        FileSizeLimit full(limit);
        EXPECT_FALSE(transfer.TransferCsv("P1.CNC"));
    }
    EXPECT_EQ(view.status, "CSV not transferred: C:\\OUT\\Tarvex.csv cannot be written; C:\\CSV\\P1.CSV is kept.");
    EXPECT_TRUE(logged("cannot append " + companion()));
    EXPECT_TRUE(TestEnvironment::Read(collecting()) == before);
    EXPECT_TRUE(TestEnvironment::Read(companion()) == content);

    EXPECT_TRUE(transfer.TransferCsv("P1.CNC"));
    EXPECT_TRUE(TestEnvironment::Read(collecting()) == before + content);
    EXPECT_FALSE(QFile::exists(companion()));
}

TEST_F(CsvFaultTest, AReadOnlyFolderKeepsBothFiles)
{
    env.Write(collecting(), "old\n");
    env.Write(companion(), "new\n");
    const QString folder = env.DataFolder() + "/drive_c/CSV";
    // The companion cannot be deleted: its content is appended once, and the operator is told.
    if (makeReadOnly(folder)) {
        EXPECT_FALSE(transfer.TransferCsv("P1.CNC"));
        EXPECT_EQ(view.status, "CSV transferred, but C:\\CSV\\P1.CSV could not be deleted.");
        EXPECT_TRUE(logged("cannot delete " + companion()));
        EXPECT_EQ(TestEnvironment::Read(collecting()), "old\nnew\n");
    }
    makeWritable(folder);

    env.Write(env.Root() + "/plain", "not a folder");
    config.CSVOutPath = env.Root() + "/plain/Tarvex.csv";
    EXPECT_FALSE(transfer.TransferCsv("P1.CNC"));
    EXPECT_TRUE(view.status.startsWith("CSV not transferred: "));
    EXPECT_TRUE(QFile::exists(companion()));
}

TEST_F(DiskFaultTest, AtomicWritesOnAFullDiskOrIntoAnUnwritableFolder)
{
    const QString folder = env.Root() + "/programs";
    const QString path = folder + "/P1.CNC";
    const QByteArray before(80 * 1024, 'a');
    env.Write(path, before);
    try {
        FileSizeLimit full(limit);
        Files::WriteAtomically(path, QByteArray(70 * 1024, 'b'));
        ADD_FAILURE() << "the write past the limit succeeded";
    } catch (const RuntimeError& e) {
        EXPECT_TRUE(e.Description().startsWith(path + ": ")) << e.Description().toStdString();
    }
    EXPECT_TRUE(TestEnvironment::Read(path) == before);
    EXPECT_EQ(filesIn(folder), 1);

    if (makeReadOnly(folder)) {
        EXPECT_THROW(Files::WriteAtomically(path, "x"), RuntimeError);
        EXPECT_TRUE(TestEnvironment::Read(path) == before);
    }
    makeWritable(folder);
    env.Write(env.Root() + "/plain", "not a folder");
    EXPECT_THROW(Files::WriteAtomically(env.Root() + "/plain/P1.CNC", "x"), RuntimeError);

    Files::WriteAtomically(path, "G71 X1 Y2 Z3\r\n");
    EXPECT_EQ(TestEnvironment::Read(path), "G71 X1 Y2 Z3\r\n");
    EXPECT_EQ(filesIn(folder), 1);
}

} // namespace
