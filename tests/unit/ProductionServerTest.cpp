// The production record against a real PostgreSQL server, started for each test.
#include "production/ProductionRecord.h"
#include "production/ProductionSettings.h"
#include "support/EventWait.h"
#include "support/PgCluster.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <gtest/gtest.h>

#include <memory>
#include <sys/stat.h>

namespace {

const QDate day(2026, 12, 9);

LineRecord line(const QString& uid, int second)
{
    LineRecord record;
    record.uid = uid;
    record.scannedAt = QDateTime(day, QTime(8, 0)).addSecs(second);
    record.scanText = "SCAN-" + uid;
    record.program = "PROG";
    return record;
}

LineOutcome done(const QString& lineUid, int second)
{
    LineOutcome record;
    record.uid = "run-" + lineUid;
    record.lineUid = lineUid;
    record.outcome = "done";
    record.startedAt = QDateTime(day, QTime(9, 0)).addSecs(second);
    record.endedAt = record.startedAt.addSecs(30);
    return record;
}

class ProductionServerTest : public testing::Test {
protected:
    void SetUp() override
    {
        if (!PgCluster::Installed())
            GTEST_SKIP() << "PostgreSQL is not installed (initdb and pg_ctl in /usr/lib/postgresql/*/bin, "
                            "and Qt's QPSQL driver, package libqt6sql6-psql): the server tests are skipped";
        cluster = std::make_unique<PgCluster>();
        ASSERT_TRUE(cluster->Problem().isEmpty()) << cluster->Problem().toStdString();
        passwordFile = env.Write(env.WindowsDirectory() + "/production.password", cluster->Password().toUtf8() + "\n");
        ::chmod(QFile::encodeName(passwordFile).constData(), 0600);
    }

    void TearDown() override
    {
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase("check");
    }

    std::unique_ptr<ProductionRecord> Station(const QString& name)
    {
        auto record = std::make_unique<ProductionRecord>(ProductionSettings(cluster->Url(), name, passwordFile),
                                                         env.DataFolder() + "/" + name + ".sqlite");
        record->SetRetryInterval(100);
        return record;
    }

    // The server's rows, read beside the stations.
    QStringList Select(const QString& sql)
    {
        if (!db.isValid()) {
            db = QSqlDatabase::addDatabase("QPSQL", "check");
            db.setHostName("127.0.0.1");
            db.setPort(cluster->Port());
            db.setDatabaseName(cluster->Database());
            db.setUserName(cluster->User());
            db.setPassword(cluster->Password());
        }
        QStringList rows;
        if (!db.isOpen() && !db.open()) {
            ADD_FAILURE() << db.lastError().text().toStdString();
            return rows;
        }
        QSqlQuery query(db);
        if (!query.exec(sql))
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        while (query.next())
            rows << query.value(0).toString();
        return rows;
    }

    // Every insert into the record's tables, in the order the server took them.
    void WatchArrivals()
    {
        Select("CREATE TABLE arrivals (n SERIAL PRIMARY KEY, uid TEXT NOT NULL)");
        Select("CREATE FUNCTION arrived() RETURNS trigger AS $$ BEGIN INSERT INTO arrivals (uid) VALUES (NEW.uid); "
               "RETURN NEW; END $$ LANGUAGE plpgsql");
        Select("CREATE TRIGGER lines_arrive AFTER INSERT ON lines FOR EACH ROW EXECUTE FUNCTION arrived()");
        Select("CREATE TRIGGER outcomes_arrive AFTER INSERT ON outcomes FOR EACH ROW EXECUTE FUNCTION arrived()");
    }

    QStringList Arrivals() { return Select("SELECT uid FROM arrivals ORDER BY n"); }

    TestEnvironment env;
    std::unique_ptr<PgCluster> cluster;
    QString passwordFile;
    QSqlDatabase db;
};

} // namespace

TEST_F(ProductionServerTest, TwoStationsWriteToOneDatabaseAtOnce)
{
    // Both start at once on an empty database: one creates the tables, the other waits for it.
    auto first = Station("ST1");
    auto second = Station("ST2");
    QStringList told;
    for (ProductionRecord* station : {first.get(), second.get()})
        QObject::connect(station, &ProductionRecord::Trouble, [&](const QString& text) { told << text; });
    for (int round = 0; round < 10; ++round) {
        for (int i = 0; i < 100; ++i) {
            const int n = round * 100 + i;
            first->Add(line(QStringLiteral("ST1-%1").arg(n), n));
            second->Add(line(QStringLiteral("ST2-%1").arg(n), n));
        }
        // Each hands its batch to its writer; they send side by side.
        EventWait::Until([] { return false; }, ProductionRecord::HandOverMs + 20);
    }
    ASSERT_TRUE(first->WaitWritten(60000));
    ASSERT_TRUE(second->WaitWritten(60000));
    EXPECT_EQ(Select("SELECT COUNT(*) || ' ' || COUNT(DISTINCT uid) FROM lines"), QStringList{"2000 2000"});
    EXPECT_EQ(Select("SELECT station || ' ' || COUNT(*) FROM lines GROUP BY station ORDER BY station"),
              QStringList({"ST1 1000", "ST2 1000"}));
    EXPECT_EQ(Select("SELECT version FROM schema_version"), QStringList{"1"});
    EventWait::Until([] { return false; }, 50);
    EXPECT_TRUE(told.isEmpty()) << told.join("\n").toStdString();

    // Either station reads everyone's records from the server.
    const ReportResult all = second->AskNow({day, day, QString()});
    EXPECT_TRUE(all.problem.isEmpty()) << all.problem.toStdString();
    EXPECT_EQ(all.rows.size(), 2000);
    EXPECT_EQ(all.stations, QStringList({"ST1", "ST2"}));
    EXPECT_EQ(second->AskNow({day, day, "ST1"}).rows.size(), 1000);

    // A station with the wrong password is refused, not taken for one that cannot reach the
    // server; its records wait.
    ::chmod(QFile::encodeName(env.Write(passwordFile, "wrong\n")).constData(), 0600);
    auto refused = Station("ST3");
    QObject::connect(refused.get(), &ProductionRecord::Trouble, [&](const QString& text) { told << text; });
    refused->Add(line("ST3-0", 0));
    EXPECT_FALSE(refused->WaitWritten(1000));
    EXPECT_TRUE(EventWait::Until([&] { return !told.isEmpty(); }));
    ASSERT_EQ(told.size(), 1);
    EXPECT_TRUE(told[0].contains("refuses the records (")) << told[0].toStdString();
    EXPECT_TRUE(told[0].contains("password authentication failed")) << told[0].toStdString();
    EXPECT_EQ(Select("SELECT COUNT(*) FROM lines WHERE station = 'ST3'"), QStringList{"0"});
}

TEST_F(ProductionServerTest, RecordsMadeWhileTheServerIsStoppedArriveOnceInOrder)
{
    auto station = Station("ST1");
    QStringList told;
    QStringList recovered;
    QObject::connect(station.get(), &ProductionRecord::Trouble, [&](const QString& text) { told << text; });
    QObject::connect(station.get(), &ProductionRecord::Recovered, [&](const QString& text) { recovered << text; });
    QStringList expected;
    for (int i = 0; i < 20; ++i) {
        station->Add(line(QString::number(i), i));
        expected << QString::number(i);
    }
    ASSERT_TRUE(station->WaitWritten(30000));
    WatchArrivals();
    db.close();

    ASSERT_TRUE(cluster->Stop());
    for (int i = 20; i < 1200; ++i) {
        LineRecord made = line(QString::number(i), i);
        if (i == 600) // what a scanner or a machine may send: no server may choke on it
            made.scanText = QString::fromLatin1("A\0B\r\xff", 5);
        station->Add(made);
        station->Add(done(QString::number(i), i));
        expected << QString::number(i) << "run-" + QString::number(i);
    }
    EXPECT_FALSE(station->WaitWritten(1000));
    // Meanwhile the station's own records are read from its file, and the report says so.
    const ReportResult local = station->AskNow({day, day, QString()});
    EXPECT_EQ(local.rows.size(), 1200);
    EXPECT_TRUE(local.problem.contains("cannot be reached")) << local.problem.toStdString();

    ASSERT_TRUE(cluster->Start());
    ASSERT_TRUE(station->WaitWritten(60000));
    EXPECT_TRUE(EventWait::Until([&] { return !recovered.isEmpty(); }));
    ASSERT_EQ(told.size(), 1) << told.join("\n").toStdString();
    EXPECT_TRUE(told[0].contains("cannot be reached")) << told[0].toStdString();
    EXPECT_EQ(recovered.size(), 1);
    EXPECT_EQ(Arrivals(), expected.mid(20));
    EXPECT_EQ(Select("SELECT COUNT(*) FROM lines"), QStringList{"1200"});
    EXPECT_EQ(Select("SELECT COUNT(*) FROM outcomes"), QStringList{"1180"});
    EXPECT_EQ(Select("SELECT scan_text FROM lines WHERE uid = '600'"), QStringList{QString::fromLatin1("A\\x00B\r\xff")});
}

TEST_F(ProductionServerTest, RecordsWaitingAcrossARestartOfTarvexArriveOnce)
{
    auto station = Station("ST1");
    QStringList expected;
    for (int i = 0; i < 10; ++i) {
        station->Add(line(QString::number(i), i));
        expected << QString::number(i);
    }
    ASSERT_TRUE(station->WaitWritten(30000));
    WatchArrivals();
    db.close();

    ASSERT_TRUE(cluster->Stop());
    for (int i = 10; i < 40; ++i) {
        station->Add(line(QString::number(i), i));
        expected << QString::number(i);
    }
    EXPECT_FALSE(station->WaitWritten(500));
    station.reset();

    station = Station("ST1");
    ASSERT_TRUE(cluster->Start());
    ASSERT_TRUE(station->WaitWritten(60000));
    EXPECT_EQ(Arrivals(), expected.mid(10));
    EXPECT_EQ(Select("SELECT COUNT(*) || ' ' || COUNT(DISTINCT uid) FROM lines"), QStringList{"40 40"});
}
