#include "listmgr/WorkList.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(WorkListTest, StatesSurviveARestartAndAnOlderFileLoadsAsAllWaiting)
{
    TestEnvironment env;
    const QString path = env.DataFolder() + "/worklist.lst";
    // A list saved before lines had states: comments and blank lines as a list file may have.
    env.Write(path, "; kept by an older Tarvex\n#161=A.CNC;\n\n#161=B.CNC;\n#161=C.CNC;\n#161=D.CNC;\n");
    WorkList list(path);
    list.Load();
    ASSERT_EQ(list.Lines(), QStringList({"#161=A.CNC;", "#161=B.CNC;", "#161=C.CNC;", "#161=D.CNC;"}));
    for (const WorkList::Entry& entry : list.Entries())
        EXPECT_EQ(entry.state, WorkList::State::Waiting);

    const QList<WorkList::Entry> entries = list.Entries();
    EXPECT_TRUE(list.SetState(entries[0].id, WorkList::State::Done));
    EXPECT_TRUE(list.SetState(entries[1].id, WorkList::State::Failed, "G-code out of range\non line 2"));
    EXPECT_TRUE(list.SetState(entries[2].id, WorkList::State::Running));
    EXPECT_EQ(TestEnvironment::Read(path), QByteArray(";state done\n#161=A.CNC;\n;state failed: G-code out of range on line 2\n"
                                                      "#161=B.CNC;\n;state running\n#161=C.CNC;\n#161=D.CNC;\n"));
    EXPECT_EQ(list.NextWaiting()->fields.Text(), "#161=D.CNC;");

    // Tarvex ended while C ran: whether it was cut is not known.
    WorkList again(path);
    again.Load();
    ASSERT_EQ(again.Entries().size(), 4);
    EXPECT_EQ(again.Entries()[0].state, WorkList::State::Done);
    EXPECT_EQ(again.Entries()[1].note, "G-code out of range on line 2");
    EXPECT_EQ(again.Entries()[2].state, WorkList::State::Unknown);
    EXPECT_EQ(again.Entries()[3].state, WorkList::State::Waiting);
    EXPECT_EQ(again.CutOff(), QList<quint64>({again.Entries()[2].id})); // for the production record

    // New lines, and a list that is replaced, start waiting.
    again.Replace({ListFields::Read("#161=E.CNC;")});
    EXPECT_EQ(TestEnvironment::Read(path), QByteArray("#161=E.CNC;\n"));
    EXPECT_EQ(again.Position(entries[0].id), 0);
    EXPECT_FALSE(again.SetState(entries[0].id, WorkList::State::Done)); // that line has left
}

} // namespace
