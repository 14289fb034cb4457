#include "autosel/AutoSelectRules.h"
#include "config/Configuration.h"
#include "autosel/FieldSelection.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {

// Every field's code is its own key suffix, so a result names the field that was chosen.
class FieldSelectionTest : public testing::Test {
protected:
    void configure(const QByteArray& body, bool enableAll = false)
    {
        QByteArray ini = "[GESTBCOD]\n";
        for (const QString& suffix : AutoSelectRules::Suffixes()) {
            ini += "FieldCode_" + suffix.toLatin1() + "=" + suffix.toLatin1() + "\n";
            if (enableAll)
                ini += "FieldFlag_" + suffix.toLatin1() + "=1\n";
        }
        config.IniFilePath = env.Write(env.Root() + "/ZEM.INI", ini + body);
    }
    QString choose(int mode, float x, float y) { return selection.FieldChoice(mode, QString(), x, y); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    Configuration config{boxes};
    AutoSelectRules rules{config};
    FieldSelection selection{rules};
};

TEST_F(FieldSelectionTest, TheScaleSwitchesAtY60AndX140AndLimitsMustBeGreater)
{
    configure("FieldFlag_FFS=1\nHalfLimitX=600\nHalfLimitY=700\n");
    EXPECT_EQ(choose(0, 500, 300), "FFS");  // scale 1
    EXPECT_EQ(choose(0, 20, 59), "SFN");    // inches: Y limit 27.559
    EXPECT_EQ(choose(0, 20, 60), "FFS");    // millimetres again
    EXPECT_EQ(choose(0, 139, 10), "SFN");   // inches: X limit 23.622
    EXPECT_EQ(choose(0, 140, 10), "FFS");
    EXPECT_EQ(choose(0, 20, 12), "FFS");    // both fit the scaled limits
    EXPECT_EQ(choose(0, 23.621f, 12), "FFS");
    EXPECT_EQ(choose(0, 23.622f, 12), "SFN"); // equal to the scaled limit is not inside it
    EXPECT_EQ(choose(0, 600, 300), "SFN");
    EXPECT_EQ(choose(0, 599.9f, 300), "FFS");
}

TEST_F(FieldSelectionTest, HalfLimitsAreReadAsLeadingNumbers)
{
    configure("FieldFlag_SFS=1\nHalfLimitX= 600mm\nHalfLimitY=abc\n");
    EXPECT_EQ(choose(0, 500, 300), "SFS"); // needs X only
    rules.SetHalfLimitX("");
    EXPECT_EQ(choose(0, 500, 300), "SFN");
}

TEST_F(FieldSelectionTest, EachCaseTriesItsCandidatesInOrder)
{
    struct Case {
        bool mirror;
        bool alternate;
        QStringList order;
    };
    const Case cases[] = {
        {false, false, {"FFS", "BFS", "SFS", "FFT", "BFT", "SFT", "FFN", "BFN", "SFN"}},
        {false, true, {"FFT", "BFT", "SFT", "FFS", "BFS", "FFN", "BFN", "SFS", "SFN"}},
        {true, false, {"FFA", "BFA", "SFA", "FFR", "BFR", "SFR", "FFM", "BFM", "SFM"}},
        {true, true, {"FFR", "BFR", "SFR", "FFA", "BFA", "SFA", "FFM", "BFM", "SFM"}},
    };
    for (const Case& c : cases) {
        configure("HalfLimitX=1000\nHalfLimitY=1000\n", true);
        AutoSelectRules fresh{config};
        FieldSelection sel{fresh};
        QStringList chosen;
        for (int i = 0; i < 9; ++i) {
            sel.State = {c.alternate, false, false};
            int mode = c.mirror ? 1 : 0;
            const QString code = sel.FieldChoice(mode, QString(), 10, 10);
            chosen << code;
            if (!AutoSelectRules::AlwaysEnabled(code))
                fresh.Field(code).Enabled = 0; // the next one in line must come next
        }
        EXPECT_EQ(chosen, c.order) << "mirror " << c.mirror << " alternate " << c.alternate;
    }
}

TEST_F(FieldSelectionTest, OnlyAFlagOfExactlyOneEnables)
{
    configure("FieldFlag_FFS=2\nFieldFlag_BFS=1\nHalfLimitX=1000\nHalfLimitY=1000\n");
    EXPECT_EQ(rules.Field("FFS").Enabled, 2);
    EXPECT_EQ(choose(0, 10, 10), "BFS");
}

TEST_F(FieldSelectionTest, WithNothingEnabledTheStandardFieldsAreTheLastResort)
{
    config.IniFilePath = env.Write(env.Root() + "/ZEM.INI", "[GESTBCOD]\nFieldCode_SFN=N\nFieldCode_SFM=M\n");
    EXPECT_EQ(choose(0, 10, 10), "N");
    EXPECT_EQ(choose(1, 10, 10), "M");
    EXPECT_EQ(choose(0, 5000, 5000), "N");
}

TEST_F(FieldSelectionTest, PairedRequestsGiveNormalThenMirroredAndGroupsAlternate)
{
    configure("HalfLimitX=1000\nHalfLimitY=1000\n", true);
    EXPECT_EQ(choose(8, 10, 10), "FFS");
    EXPECT_EQ(choose(8, 10, 10), "FFR");
    EXPECT_EQ(choose(8, 10, 10), "FFS");
    EXPECT_EQ(choose(0, 10, 10), "FFT"); // plain requests keep alternating the groups
    EXPECT_EQ(choose(1, 10, 10), "FFA");
}

TEST_F(FieldSelectionTest, AnExplicitCodeSetsTheStateOfTheNextChoice)
{
    configure("HalfLimitX=1000\nHalfLimitY=1000\n", true);
    int mode = 7;
    EXPECT_EQ(selection.FieldChoice(mode, "A1", 0, 0), "");
    EXPECT_EQ(mode, 1);
    EXPECT_FALSE(selection.State.MirrorPending);
    EXPECT_EQ(choose(8, 10, 10), "FFA");

    // Mode 6: the pending state wins over the "W" request; T set it to normal, T/R first.
    mode = 6;
    EXPECT_EQ(selection.FieldChoice(mode, "T1", 0, 0), "");
    EXPECT_EQ(mode, 0);
    EXPECT_TRUE(selection.State.MirrorPending);
    EXPECT_EQ(choose(1, 10, 10), "FFT");
    EXPECT_FALSE(selection.State.MirrorPending);
    EXPECT_EQ(choose(1, 10, 10), "FFA"); // consumed: the request counts again

    // An unknown letter changes nothing.
    const auto before = selection.State;
    mode = 6;
    EXPECT_EQ(selection.FieldChoice(mode, "X", 0, 0), "");
    EXPECT_EQ(mode, 6);
    EXPECT_EQ(selection.State.AlternateOrder, before.AlternateOrder);
    EXPECT_EQ(selection.State.NextMirrored, before.NextMirrored);
    EXPECT_EQ(selection.State.MirrorPending, before.MirrorPending);
}

} // namespace
