#include "LinuxCncSim.h"
#include "ScannerProcess.h"
#include "e2e/TarvexProcess.h"
#include "support/QtPrinters.h"

#include <QDir>
#include <QHash>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

namespace {

using namespace std::chrono_literals;

// The real tarvex on the real tarvex-scanner, with the simulated LinuxCNC running its work list.
// The programs are G-code that write what they saw to runs.log: the parameters at their start,
// and where the axes are once their moves are done.
class LinuxCncRunTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(sim.Running()) << "the LinuxCNC simulation did not start";
        ASSERT_TRUE(sim.Reset()) << sim.Output().toStdString();
        const QString device = scanner.Start();
        ASSERT_FALSE(device.isEmpty()) << "tarvex-scanner did not start";
        tarvex.UsePortDevice(device);
        tarvex.Configure("GCodePath=C:\\PROGS\r\nListPath=C:\\LISTS\\\r\nAutoStart=0\r\nAutoClear=0\r\n",
                         "[ListManager]\r\nServer=LinuxCNC\r\n[LinuxCNC]\r\nPort=" + QByteArray::number(sim.Port()) + "\r\n");
    }

    // A program that logs its parameters, moves to X = #168 / 10 and Y = #169 / 10 (or runs
    // the moves given), and logs where it ended.
    void Program(const QString& name, const QByteArray& moves = "G1 X[#168/10] Y[#169/10] F6000\n")
    {
        const QString path = tarvex.DriveC() + "/PROGS/" + name + ".CNC";
        QDir().mkpath(path.section('/', 0, -2));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("(ZEM)\n(C=" + name.toLatin1() + ")\n(UN LX=100 LY=100 LZ=10)\n(LOGAPPEND," + runsLog().toLocal8Bit() + ")\n(LOG," +
                name.toLatin1() +
                " start p164=#164 p165=#165 p168=#168 p169=#169 p170=#170 p171=#171 p284=#284 p282=#282)\nG21 G90\n" + moves +
                "M66 E0 L0\n(LOG," + name.toLatin1() + " done x=#5420 y=#5421)\n(LOGCLOSE)\nM2\n");
    }
    QByteArray slow() const { return "G1 X40 F1200\nG1 X0\n"; } // about 4 s

    bool startTarvex()
    {
        return tarvex.Start() && tarvex.WaitFor([&] { return !tarvex.Log().filter("LinuxCNC connected at").isEmpty(); });
    }
    void scan(const QByteArray& text) { ASSERT_TRUE(scanner.Scan(tarvex, text)) << text.constData(); }
    // A two-part label: program name, then the three sizes.
    void label(const QByteArray& name, const QByteArray& sizes)
    {
        scan("%12" + name + " N X %");
        scan("%22" + sizes + " %");
    }

    QString runsLog() const { return tarvex.DriveC() + "/runs.log"; }
    QStringList runs() const
    {
        QFile f(runsLog());
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts);
    }
    // Each line of the saved work list with its state: "P1.CNC done", "P2.CNC failed: why".
    QStringList states() const
    {
        QFile f(tarvex.DataFolder() + "/worklist.lst");
        QStringList out;
        if (!f.open(QIODevice::ReadOnly))
            return out;
        QString state = "waiting";
        for (const QString& line : QString::fromLatin1(f.readAll()).split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith(";state "))
                state = line.mid(7);
            else if (!line.startsWith(';'))
                out << line.section(';', 0, 0).mid(5) + ' ' + std::exchange(state, QStringLiteral("waiting"));
        }
        return out;
    }
    bool waitForState(int index, const QString& state, std::chrono::milliseconds timeout = 30s)
    {
        return tarvex.WaitFor([&] { return states().value(index).section(' ', 1).startsWith(state); }, timeout);
    }
    // tarvex --report for today, read beside the running station, once it has a row for each of
    // the programs and the last one's outcome: each row's cells by program name.
    QHash<QString, QStringList> reported(const QStringList& programs, const QString& lastOutcome)
    {
        QHash<QString, QStringList> rows;
        tarvex.WaitFor([&] {
            QByteArray out;
            tarvex.RunAnother({"--report", "today"}, &out);
            rows.clear();
            for (const QString& line : QString::fromUtf8(out).split("\r\n", Qt::SkipEmptyParts)) {
                const QStringList cells = csvCells(line);
                rows.insert(cells.value(3), cells);
            }
            return std::all_of(programs.begin(), programs.end(), [&](const QString& p) { return rows.contains(p); }) &&
                   rows.value(programs.last()).value(12) == lastOutcome;
        });
        return rows;
    }
    static QStringList csvCells(const QString& line)
    {
        QStringList cells{QString()};
        bool quoted = false;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (c == '"' && quoted && i + 1 < line.size() && line[i + 1] == '"')
                cells.last() += line[++i];
            else if (c == '"')
                quoted = !quoted;
            else if (c == ',' && !quoted)
                cells << QString();
            else
                cells.last() += c;
        }
        return cells;
    }
    bool logged(const QString& text, std::chrono::milliseconds timeout = 15s)
    {
        return tarvex.WaitFor([&] { return tarvex.Log().join('\n').contains(text); }, timeout);
    }

    LinuxCncSim& sim = LinuxCncSim::Instance();
    ScannerProcess scanner;
    TarvexProcess tarvex;
};

TEST_F(LinuxCncRunTest, ThreeProgramsRunInOrderEachWithItsOwnValues)
{
    Program("P1");
    Program("P2");
    Program("P3");
    // A list file whose second line lacks most fields: they must not keep the first line's values.
    QDir().mkpath(tarvex.DriveC() + "/LISTS");
    QFile list(tarvex.DriveC() + "/LISTS/JOB.LST");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#161=P1.CNC;#164=1;#171=1;#284=0;#280=;#165=1;#168=600;#169=400;#170=20;#282=;#283=;\r\n#161=P2.CNC;#164=7;\r\n");
    list.close();
    ASSERT_TRUE(startTarvex());

    scan("%01JOB");
    label("P3", "300 200 10");
    scan("%START%");
    ASSERT_TRUE(waitForState(2, "done")) << states().join('\n').toStdString() << tarvex.Log().join('\n').toStdString();

    EXPECT_EQ(states(), QStringList({"P1.CNC done", "P2.CNC done", "P3.CNC done"}));
    EXPECT_EQ(runs(), QStringList({
                          "P1 start p164=1.000000 p165=1.000000 p168=600.000000 p169=400.000000 p170=20.000000 p171=1.000000 p284=0.000000 p282=0.000000",
                          "P1 done x=60.000000 y=40.000000",
                          "P2 start p164=7.000000 p165=0.000000 p168=0.000000 p169=0.000000 p170=0.000000 p171=0.000000 p284=0.000000 p282=0.000000",
                          "P2 done x=0.000000 y=0.000000",
                          "P3 start p164=1.000000 p165=1.000000 p168=300.000000 p169=200.000000 p170=10.000000 p171=1.000000 p284=0.000000 p282=0.000000",
                          "P3 done x=30.000000 y=20.000000",
                      }));
    EXPECT_TRUE(sim.Get("get abs_act_pos").startsWith("ABS_ACT_POS 30.000000 20.000000")) << sim.Output().toStdString();

    // The journal has what went to LinuxCNC and what it answered, passwords hidden.
    const QStringList journal = tarvex.Journal();
    EXPECT_TRUE(journal.contains("LinuxCNC\tset mdi #164=7 #171=0 #284=0 #280=0 #165=0 #168=0 #169=0 #170=0 #282=0 #283=0\tSET MDI ACK"))
        << journal.join('\n').toStdString();
    EXPECT_TRUE(journal.contains("LinuxCNC\tset open " + tarvex.DriveC() + "/PROGS/P2.CNC\tSET OPEN ACK"));
    EXPECT_TRUE(journal.contains("LinuxCNC\tset enable ***\tSET ENABLE ACK"));
    EXPECT_TRUE(journal.filter("EMCTOO").isEmpty());
    EXPECT_TRUE(tarvex.Log().filter("EMCTOO").isEmpty());

    // The measurement: how long from Start, and from one program's end, to the next running.
    for (const QString& line : tarvex.Log().filter(QRegularExpression(" runs: .* ms after ")))
        std::cout << "[ timing ] " << line.section(' ', 2).toStdString() << std::endl;
}

TEST_F(LinuxCncRunTest, AListLineCarryingCommandsOfItsOwnMovesNothing)
{
    Program("P1");
    // linuxcncrsh ends a command at a lone carriage return: this program name would be three.
    QDir().mkpath(tarvex.DriveC() + "/LISTS");
    QFile list(tarvex.DriveC() + "/LISTS/JOB1.LST");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("#161=P1.NGC\rset mode mdi\rset mdi G0 X7 Y3;#164=1;#171=1;#284=0;#280=;#165=1;#168=600;#169=400;#170=20;#282=;#283=;\r\n");
    list.close();
    ASSERT_TRUE(startTarvex());
    const QString before = sim.Get("get abs_act_pos");

    scan("%01JOB1");
    scan("%START%");
    // The line fails, or the list file was refused and nothing waits.
    ASSERT_TRUE(tarvex.WaitFor([&] {
        const QString log = tarvex.Log().join('\n');
        return log.contains("The run has stopped") || log.contains("The work list has run") || log.contains("Start: no line is waiting");
    }, 15s)) << tarvex.Log().join('\n').toStdString();
    QThread::msleep(1000);
    EXPECT_EQ(sim.Get("get abs_act_pos"), before);
    if (!states().isEmpty()) {
        EXPECT_TRUE(states().value(0).contains(" failed: its program name P1.NGC\\x0Dset mode mdi")) << states().value(0).toStdString();
        EXPECT_TRUE(states().value(0).contains("holds a control character"));
    }
    // Nothing holding a carriage return went to LinuxCNC.
    for (const QString& record : tarvex.Journal().filter(QRegularExpression("^LinuxCNC\t.*\\x0D")))
        EXPECT_TRUE(record.section('\t', 2).startsWith("not sent: ")) << record.toStdString();
    EXPECT_TRUE(runs().isEmpty());
}

TEST_F(LinuxCncRunTest, HoldPausesStartResumesAndEndKeepsTheRest)
{
    Program("S1", slow());
    Program("S2", slow());
    Program("S3");
    ASSERT_TRUE(startTarvex());
    label("S1", "100 100 10");
    label("S2", "100 100 10");
    label("S3", "100 100 10");
    scan("%START%");
    ASSERT_TRUE(waitForState(0, "running"));
    tarvex.WaitFor([&] { return sim.Get("get abs_act_pos 0") != "ABS_ACT_POS 0 0.000000"; });

    scan("%STOP%");
    ASSERT_TRUE(tarvex.WaitFor([&] { return sim.Get("get program_status") == "PROGRAM_STATUS PAUSED"; }));
    const QString held = sim.Get("get abs_act_pos 0");
    QThread::msleep(500);
    EXPECT_EQ(sim.Get("get abs_act_pos 0"), held); // feed hold: the axes stand
    EXPECT_EQ(states().value(0), "S1.CNC running");

    scan("%START%");
    EXPECT_TRUE(tarvex.WaitFor([&] { return sim.Get("get program_status") == "PROGRAM_STATUS RUNNING"; }));
    ASSERT_TRUE(waitForState(1, "running"));
    scan("%END%");
    ASSERT_TRUE(waitForState(1, "aborted"));
    EXPECT_EQ(states(), QStringList({"S1.CNC done", "S2.CNC aborted: ended by End", "S3.CNC waiting"}));
    EXPECT_EQ(sim.Get("get program_status"), "PROGRAM_STATUS IDLE");
    QThread::msleep(300);
    const QStringList seen = runs();
    EXPECT_EQ(seen.filter("S1 done").size(), 1);
    EXPECT_EQ(seen.filter("S2 start").size(), 1);
    EXPECT_TRUE(seen.filter("S2 done").isEmpty());
    EXPECT_TRUE(seen.filter("S3").isEmpty()) << seen.join('\n').toStdString();

    // The production record has each run with its outcome, duration and the time it was held.
    const auto rows = reported({"S1.CNC", "S2.CNC", "S3.CNC"}, "waiting");
    const QStringList s1 = rows.value("S1.CNC");
    const QStringList s2 = rows.value("S2.CNC");
    ASSERT_EQ(s1.size(), 18) << s1.join(',').toStdString();
    EXPECT_EQ(s1[12], "done");
    EXPECT_FALSE(s1[14].isEmpty());
    EXPECT_FALSE(s1[15].isEmpty());
    EXPECT_GE(s1[17].toDouble(), 0.5) << s1.join(',').toStdString(); // held above for half a second at least
    EXPECT_GT(s1[16].toDouble(), s1[17].toDouble());
    EXPECT_EQ(s2.value(12), "aborted");
    EXPECT_EQ(s2.value(13), "ended by End");
    EXPECT_GT(s2.value(16).toDouble(), 0.0) << s2.join(',').toStdString();
    EXPECT_EQ(rows.value("S3.CNC").value(16), "");
}

TEST_F(LinuxCncRunTest, AFailedLineStopsTheRunAndKeepsTheRest)
{
    Program("P1");
    Program("BAD", "G1 X10 F6000\nG999\n");
    Program("P6");
    ASSERT_TRUE(startTarvex());
    label("P1", "100 100 10");
    label("BAD", "100 100 10");
    label("NOFILE", "100 100 10");
    label("P5", "600 400 300%"); // a size the scanner read badly
    label("P6", "100 100 10");

    // Each Start goes on with the waiting lines until the next one fails.
    scan("%START%");
    ASSERT_TRUE(waitForState(1, "failed"));
    EXPECT_EQ(states().value(0), "P1.CNC done");
    EXPECT_EQ(states().mid(2), QStringList({"NOFILE.CNC waiting", "P5.CNC waiting", "P6.CNC waiting"}));
    EXPECT_TRUE(logged("ERROR list manager: BAD.CNC (line 2) failed: "));
    scan("%START%");
    ASSERT_TRUE(waitForState(2, "failed"));
    EXPECT_TRUE(states().value(2).contains("NOFILE.CNC")) << states().value(2).toStdString();
    scan("%START%");
    ASSERT_TRUE(waitForState(3, "failed"));
    EXPECT_EQ(states().value(3), "P5.CNC failed: #170=300% is not a number");
    scan("%START%");
    ASSERT_TRUE(waitForState(4, "done"));

    const QStringList seen = runs();
    EXPECT_TRUE(seen.filter("BAD done").isEmpty());
    EXPECT_TRUE(seen.filter("P5").isEmpty());
    EXPECT_EQ(seen.filter("P6 done").size(), 1) << seen.join('\n').toStdString();

    // A failure is recorded with the machine's text and how long the program ran.
    const auto rows = reported({"P1.CNC", "BAD.CNC", "P6.CNC"}, "done");
    const QStringList bad = rows.value("BAD.CNC");
    EXPECT_EQ(bad.value(12), "failed") << bad.join(',').toStdString();
    EXPECT_EQ(bad.value(13), states().value(1).section(": ", 1)) << bad.join(',').toStdString();
    EXPECT_GT(bad.value(16).toDouble(), 0.0);
    EXPECT_EQ(rows.value("P6.CNC").value(12), "done");
}

TEST_F(LinuxCncRunTest, AMachineInEStopRefusesStartAndNothingRuns)
{
    Program("P1");
    ASSERT_TRUE(sim.EStop());
    ASSERT_TRUE(startTarvex());
    label("P1", "100 100 10");
    scan("%START%");
    EXPECT_TRUE(logged("LinuxCNC is in E-stop: nothing runs until the operator releases it at the machine."));
    QThread::msleep(500);
    EXPECT_EQ(states(), QStringList({"P1.CNC waiting"}));
    EXPECT_TRUE(runs().isEmpty());
    EXPECT_EQ(sim.Get("get estop"), "ESTOP ON"); // Tarvex never releases it

    // The operator's act at the machine; then Start runs the line.
    ASSERT_TRUE(sim.Reset());
    QThread::msleep(700);
    scan("%START%");
    EXPECT_TRUE(waitForState(0, "done"));
}

TEST_F(LinuxCncRunTest, LinuxCncKilledMidRunIsReportedAndReconnectedWithNothingLost)
{
    Program("S1", slow());
    Program("P2");
    ASSERT_TRUE(startTarvex());
    label("S1", "100 100 10");
    label("P2", "100 100 10");
    scan("%START%");
    ASSERT_TRUE(waitForState(0, "running"));

    ASSERT_TRUE(sim.Stop());
    ASSERT_TRUE(waitForState(0, "unknown"));
    EXPECT_TRUE(logged("Connection to LinuxCNC lost while S1.CNC (line 1) ran"));
    EXPECT_EQ(states().value(1), "P2.CNC waiting");

    // LinuxCNC comes back unhomed: Start is refused until the set-point step has homed it.
    ASSERT_TRUE(sim.Start(sim.Port(), true));
    ASSERT_TRUE(tarvex.WaitFor([&] { return tarvex.Log().filter("LinuxCNC connected at").size() == 2; }, 20s));
    // Start is judged first on the machine's state as Tarvex last saw it, as the window shows it:
    // wait until it has seen the machine switched on again, or it would rightly say "off".
    ASSERT_TRUE(tarvex.WaitFor([&] {
        const QStringList seen = tarvex.Log().filter("LinuxCNC: get machine -> ");
        return !seen.isEmpty() && seen.last().endsWith("MACHINE ON");
    }, 10s));
    scan("%START%");
    EXPECT_TRUE(logged("LinuxCNC's machine is not homed"));
    EXPECT_EQ(states().value(1), "P2.CNC waiting");
    scan("%SETP%");
    ASSERT_TRUE(logged("list manager: Set-point step done."));
    EXPECT_TRUE(sim.Get("get joint_homed").startsWith("JOINT_HOMED YES YES YES"));
    scan("%START%");
    ASSERT_TRUE(waitForState(1, "done"));
    EXPECT_TRUE(states().value(0).startsWith("S1.CNC unknown: "));
}

} // namespace
