#include "app/windows/frmProduction.h"
#include "app/windows/ProductionTable.h"
#include "production/ProductionReader.h"
#include "production/ProductionReport.h"
#include "support/FakeMessageBoxes.h"
#include "support/QtPrinters.h"
#include "support/TestEnvironment.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QLabel>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Keeps each question with its answer, to be answered when and in the order the test says.
class HeldReader : public ProductionReader {
public:
    struct Question {
        ReportQuery query;
        std::function<void(const ReportResult&)> answer;
    };
    void Ask(const ReportQuery& query, std::function<void(const ReportResult&)> answer) override
    {
        asked.append({query, std::move(answer)});
    }
    QList<Question> asked;
};

const QDate day(2026, 12, 9);

ReportRow row(const QString& station, const QString& program, const QString& outcome, int hour)
{
    ReportRow r;
    r.station = station;
    r.scannedAt = QDateTime(day, QTime(hour, 0));
    r.program = program;
    r.outcome = outcome;
    if (outcome != "waiting" && outcome != "refused") {
        r.startedAt = r.scannedAt.addSecs(60);
        r.endedAt = r.startedAt.addSecs(300);
        r.durationMs = 300'000;
    }
    return r;
}

ReportResult result(const QList<ReportRow>& rows)
{
    return {rows, {"SAW-1", "SAW-2"}, "SQLite database production.sqlite", QString()};
}

class frmProductionTest : public testing::Test {
protected:
    QTreeWidget& table() { return *window.findChild<QTreeWidget*>("lstProduction"); }
    QStringList programs()
    {
        QStringList shown;
        for (int i = 0; i < table().topLevelItemCount(); ++i)
            shown << table().topLevelItem(i)->text(2);
        return shown;
    }

    TestEnvironment env;
    HeldReader reader;
    FakeMessageBoxes boxes;
    frmProduction window{reader, &boxes};
    QDateEdit& dayEdit = *window.findChild<QDateEdit*>("dtpDay");
    QComboBox& stations = *window.findChild<QComboBox*>("cboStation");
};

TEST_F(frmProductionTest, ShowsTheRowsOfTheChosenDayAndStationAndOnlyTheAnswerToTheLastQuestion)
{
    window.ShowWindow();
    ASSERT_EQ(reader.asked.size(), 1);
    EXPECT_EQ(reader.asked[0].query.from, QDate::currentDate());
    EXPECT_EQ(reader.asked[0].query.to, QDate::currentDate());
    EXPECT_EQ(reader.asked[0].query.station, "");

    dayEdit.setDate(day);
    ASSERT_EQ(reader.asked.size(), 2);
    EXPECT_EQ(reader.asked[1].query.from, day);
    EXPECT_EQ(reader.asked[1].query.to, day);
    reader.asked[1].answer(result({row("SAW-1", "DOOR1", "done", 7), row("SAW-2", "DOOR2", "failed", 8),
                                   row("SAW-2", "DOOR3", "waiting", 9)}));
    // The answer to the first question comes late: the day chosen since stays shown.
    reader.asked[0].answer(result({row("SAW-1", "OLD", "done", 6)}));
    EXPECT_EQ(programs(), QStringList({"DOOR1", "DOOR2", "DOOR3"}));
    auto& marks = static_cast<ProductionTable&>(table());
    EXPECT_EQ(marks.RowMark(0), ProductionTable::Mark::Normal);
    EXPECT_EQ(marks.RowMark(1), ProductionTable::Mark::Refused);
    EXPECT_EQ(marks.RowMark(2), ProductionTable::Mark::Greyed);
    EXPECT_TRUE(window.findChild<QLabel*>("lblSource")->text().contains("SQLite database production.sqlite"));
    ASSERT_EQ(stations.count(), 3);
    EXPECT_EQ(stations.itemText(0), "All stations");
    EXPECT_EQ(stations.itemText(2), "SAW-2");

    stations.setCurrentIndex(2);
    ASSERT_EQ(reader.asked.size(), 3);
    EXPECT_EQ(reader.asked[2].query.station, "SAW-2");
    ReportResult incomplete = result({row("SAW-2", "DOOR2", "failed", 8)});
    incomplete.problem = "The PostgreSQL server is not reachable: rows of this station only.";
    reader.asked[2].answer(incomplete);
    EXPECT_EQ(programs(), QStringList({"DOOR2"}));
    // The station chosen stays chosen when the list of stations is filled anew.
    EXPECT_EQ(stations.currentText(), "SAW-2");
    EXPECT_EQ(window.findChild<QLabel*>("lblProblem")->text(), incomplete.problem);
    EXPECT_TRUE(env.LogLines().join('\n').contains(incomplete.problem));
}

TEST_F(frmProductionTest, ExportsARangeToAFileAndSaysWhenItCannot)
{
    const QList<ReportRow> rows{row("SAW-1", "=DOOR1", "done", 7), row("SAW-2", "DOOR2", "refused", 8)};
    const QString path = QDir(env.Root()).filePath("week.csv");
    window.Export(day.addDays(-6), day, path);
    ASSERT_EQ(reader.asked.size(), 1);
    EXPECT_EQ(reader.asked[0].query.from, day.addDays(-6));
    EXPECT_EQ(reader.asked[0].query.to, day);
    EXPECT_FALSE(QFile::exists(path)); // nothing until the rows have come
    reader.asked[0].answer(result(rows));
    EXPECT_EQ(TestEnvironment::Read(path), ProductionReport::Csv(rows).toUtf8());
    EXPECT_TRUE(boxes.shown.isEmpty());

    const QString nowhere = QDir(env.Root()).filePath("missing/folder/week.csv");
    window.Export(day, day, nowhere);
    reader.asked[1].answer(result(rows));
    ASSERT_EQ(boxes.shown.size(), 1);
    EXPECT_TRUE(boxes.shown[0].text.startsWith("The production report could not be written to " + nowhere));

    // No rows because the record could not be read: no empty file that would say "nothing made".
    const QString unread = QDir(env.Root()).filePath("unread.csv");
    window.Export(day, day, unread);
    ReportResult failed;
    failed.problem = "The production database cannot be opened.";
    reader.asked[2].answer(failed);
    EXPECT_FALSE(QFile::exists(unread));
    ASSERT_EQ(boxes.shown.size(), 2);
    EXPECT_TRUE(boxes.shown[1].text.contains(failed.problem));
}

} // namespace
