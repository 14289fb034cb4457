// Every writer of the program on a full disk and in a folder it may not write: the operator is
// told, the log has a record, what the file held before is still there, and once the disk has
// room again the next write works.
#include "app/SerialLink.h"
#include "config/Configuration.h"
#include "listmgr/EmbeddedListManager.h"
#include "listmgr/FieldCodeTable.h"
#include "listmgr/ListFile.h"
#include "listmgr/ListLine.h"
#include "listmgr/ListManagerLink.h"
#include "listmgr/WorkList.h"
#include "platform/Files.h"
#include "platform/LineReader.h"
#include "platform/PayloadCodec.h"
#include "platform/ProfileFile.h"
#include "platform/RuntimeError.h"
#include "program/CsvTransfer.h"
#include "station/RunState.h"
#include "station/ScanHistory.h"
#include "station/ScanHistoryFile.h"
#include "station/StationState.h"
#include "support/FakeClock.h"
#include "support/FakeListManagerFactory.h"
#include "support/FakeMessageBoxes.h"
#include "support/FakeSerialPort.h"
#include "support/FileSizeLimit.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <sys/mount.h>
#include <sys/stat.h>
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
    StationState state;
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
    SerialLink link(config, port, state, boxes);
    {
        FileSizeLimit full(limit);
        EXPECT_FALSE(config.WriteIniValue(Configuration::Section, "AutoStart", "0"));
        link.SaveSerialSettings();
    }
    EXPECT_TRUE(TestEnvironment::Read(ini()) == before);
    EXPECT_EQ(filesIn(env.WindowsDirectory()), 1);
    EXPECT_EQ(state.Status(), "Could not save the serial settings to " + ini() + ".");
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
    ListLine line{table, link, state};
    ListLine::Values values;
    QStringList saved;
};

TEST_F(WorkListFaultTest, AFullDiskLosesNeitherTheQueuedLinesNorTheNewOne)
{
    ASSERT_TRUE(server->Lines() == saved);
    const QByteArray before = savedFile();
    ASSERT_GT(before.size(), static_cast<qsizetype>(limit));
    const QString text = line.ComposeListLine(values).Text();
    {
        FileSizeLimit full(limit);
        EXPECT_FALSE(line.AddLineToList(values));
    }
    EXPECT_TRUE(state.Status().startsWith("The line was not added to the list (error 75")) << state.Status().toStdString();
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
    EXPECT_THROW(server->AddLine(ListFields::Read("#161=X.CNC;")), RuntimeError);
    EXPECT_THROW(server->ClearList(), RuntimeError);
    makeWritable(env.DataFolder());
    EXPECT_TRUE(server->Lines() == saved);
    EXPECT_TRUE(savedFile() == before);
    EXPECT_TRUE(env.LogLines().last().contains("ClearList failed"));
    server->AddLine(ListFields::Read("#161=X.CNC;"));
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
    CsvTransfer transfer{config, run, state};
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
    EXPECT_EQ(state.Status(), "CSV not transferred: C:\\OUT\\Tarvex.csv cannot be written; C:\\CSV\\P1.CSV is kept.");
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
        EXPECT_EQ(state.Status(), "CSV transferred, but C:\\CSV\\P1.CSV could not be deleted.");
        EXPECT_TRUE(logged("cannot delete " + companion()));
        EXPECT_EQ(TestEnvironment::Read(collecting()), "old\nnew\n");
    }
    makeWritable(folder);

    env.Write(env.Root() + "/plain", "not a folder");
    config.CSVOutPath = env.Root() + "/plain/Tarvex.csv";
    EXPECT_FALSE(transfer.TransferCsv("P1.CNC"));
    EXPECT_TRUE(state.Status().startsWith("CSV not transferred: "));
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

// Every reader of the program with a pipe nobody writes to, and with a link to an endless
// device, in place of its file: each is refused at once, with a text saying why, instead of
// hanging the station or filling its memory.
TEST_F(DiskFaultTest, EveryReaderRefusesPipesAndDevices)
{
    const auto refused = [](const std::function<void()>& read) {
        try {
            read();
        } catch (const RuntimeError& e) {
            return e.Description();
        }
        return QString();
    };
    const struct {
        const char* file;
        std::function<QString(const QString&)> read; // why it was refused, empty when it was not
    } readers[] = {
        {"ZEM.INI", [](const QString& f) { return ProfileFile::Refusal(f); }},
        {"ZEM.INI", [](const QString& f) {
             QString error;
             return ProfileFile::WriteString(f, "S", "K", "v", &error) ? QString() : error;
         }},
        {"JOB7.LST", [&](const QString& f) { return refused([&] { ListFile::Read(f); }); }},
        {"worklist.lst", [](const QString& f) { return WorkList(f).Load(); }},
        {"P1.CNC", [](const QString& f) {
             LineReader reader(f);
             return reader.Open() ? QString() : reader.ErrorString();
         }},
        {"P1.CSV", [&](const QString& f) {
             bool sourceFailed = false;
             return refused([&] { Files::AppendFile(f, f + ".out", sourceFailed); });
         }},
        {"Temp.Cmp", [](const QString& f) {
             QByteArray out;
             QString error;
             PayloadCodec::InflateFile(f, 10, f + ".dat", 10, out, error);
             return error;
         }},
        {"Temp.Dat", [&](const QString& f) { return refused([&] { Files::WriteOver(f, "x", Files::Tail::Cut); }); }},
        {"window-placement", [&](const QString& f) { return refused([&] { Files::ReadFrom(f, 0); }); }},
    };
    const QString folder = env.Root() + "/special";
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const auto& reader : readers) {
        const QString path = folder + "/" + reader.file;
        for (const char* kind : {"pipe", "link to /dev/zero"}) {
            QFile::remove(path);
            if (QByteArray(kind) == "pipe")
                ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
            else
                ASSERT_TRUE(QFile::link("/dev/zero", path));
            const QString why = reader.read(path);
            EXPECT_TRUE(why.contains("not a regular file") || why.contains("symbolic link")) << reader.file << ", " << kind << ": " << why.toStdString();
        }
    }
}

// The scan history on a full disk: the file saved before stays whole, nothing is left beside it,
// the operator and the log are told once however many saves fail, and with room again it saves.
TEST_F(DiskFaultTest, TheScanHistoryOnAFullDiskKeepsItsFileAndTellsOnce)
{
    const QString path = env.Root() + "/history/scan-history.json";
    ScanHistory history;
    ScanHistoryFile file(history, path);
    file.Load();
    QStringList told;
    QObject::connect(&file, &ScanHistoryFile::WriteFailed, [&](const QString& text) { told << text; });
    history.Begin("%11P1 N X %");
    file.Flush();
    const QByteArray before = TestEnvironment::Read(path);
    ASSERT_FALSE(before.isEmpty());
    // Far more than the limit lets through (restored, so the log does not grow with it).
    QList<ScanHistory::Entry> earlier;
    for (int i = 0; i < 100; ++i)
        earlier.append({QDateTime::currentDateTime(), "%11P N X %", ScanHistory::Origin::Scanned, {QString(900, 'x')}, {}, {}});
    history.Restore(earlier, QDateTime::currentDateTime());
    {
        FileSizeLimit full(limit);
        for (int i = 0; i < 3; ++i) {
            history.Begin(QStringLiteral("%11FULL%1 N X %").arg(i));
            file.Flush();
        }
    }
    EXPECT_TRUE(TestEnvironment::Read(path) == before);
    EXPECT_EQ(filesIn(env.Root() + "/history"), 1);
    EXPECT_EQ(told.size(), 1);
    EXPECT_EQ(env.LogLines().filter("scan history not saved").size(), 1);

    history.Begin("%11ROOM N X %");
    file.Flush();
    EXPECT_TRUE(TestEnvironment::Read(path).contains("%11ROOM N X %"));
}

// A real file system that fills up: the save fails whole, the old file stays, nothing is left
// behind, and the caller hears of it.
TEST_F(DiskFaultTest, AFullFileSystemFailsTheSaveAndKeepsTheOldFile)
{
    const QString disk = env.Root() + "/disk";
    ASSERT_TRUE(QDir().mkpath(disk));
    const QByteArray target = QFile::encodeName(disk);
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "mounting a small file system is not permitted here";
    struct Unmount {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{target};

    const QByteArray ini = "[GESTBCOD]\r\nAutoStart=1\r\n" + bulk("\r\n", 20 * 1024);
    env.Write(disk + "/ZEM.INI", ini);
    WorkList list(disk + "/worklist.lst");
    list.Replace({ListFields::Read("#161=P1.CNC;"), ListFields::Read("#161=P2.CNC;")});
    const QByteArray saved = TestEnvironment::Read(disk + "/worklist.lst");
    // Fill what is left; a file system counts in pages, so write until it refuses.
    {
        QFile filler(disk + "/filler");
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray page(4096, 'f');
        while (filler.write(page) == page.size() && filler.flush()) {
        }
    }
    QString error;
    EXPECT_FALSE(ProfileFile::WriteString(disk + "/ZEM.INI", "GESTBCOD", "AutoStart", "0", &error));
    EXPECT_TRUE(error.contains(disk + "/ZEM.INI: ")) << error.toStdString();
    EXPECT_TRUE(TestEnvironment::Read(disk + "/ZEM.INI") == ini);
    try {
        list.Append(ListFields::Read("#161=P3.CNC;"));
        ADD_FAILURE() << "the line was saved on a full disk";
    } catch (const RuntimeError& e) {
        EXPECT_TRUE(e.Description().startsWith("Cannot save " + disk + "/worklist.lst: ")) << e.Description().toStdString();
    }
    EXPECT_EQ(list.Lines(), QStringList({"#161=P1.CNC;", "#161=P2.CNC;"}));
    EXPECT_TRUE(TestEnvironment::Read(disk + "/worklist.lst") == saved);
    EXPECT_EQ(QDir(disk).entryList(QDir::Files | QDir::Hidden).size(), 3);

    QFile::remove(disk + "/filler");
    list.Append(ListFields::Read("#161=P3.CNC;"));
    EXPECT_EQ(WorkList(disk + "/worklist.lst").Load(), "");
}

} // namespace
