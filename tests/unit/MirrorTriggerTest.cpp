#include "autosel/AutoSelectRules.h"
#include "autosel/MirrorTrigger.h"
#include "config/Configuration.h"
#include "station/StationState.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

class MirrorTriggerTest : public testing::Test {
protected:
    MirrorTriggerTest()
    {
        env.Write(env.ProgramFolder() + "/ZEM.INI", "[GESTBCOD]\r\n");
        config.LoadSettings(state);
        rules.Load();
    }
    // Makes the rule of the source and outcome the active one.
    MirrorTriggerRule& use(AutoSelectRules::Source source, bool mirror, bool fromLeft, int position, const QString& text)
    {
        rules.SetTriggerSource(source);
        rules.SetShownMirror(mirror);
        MirrorTriggerRule& rule = rules.Rule(source, mirror);
        rule.Alignment = fromLeft ? MirrorTriggerRule::FromLeftAlignment : 0;
        rule.Position = static_cast<qint16>(position);
        rule.Text = text;
        return rule;
    }
    // The field code the answer gives the program and whether it is listed twice, starting from
    // the scan's own code "N".
    std::pair<QString, bool> test(const QString& name, const QString& comment = QString())
    {
        switch (trigger.TestMirrorTrigger(name, comment)) {
        case MirrorTrigger::Outcome::NotTested:
            break;
        case MirrorTrigger::Outcome::Normal:
            return {"P", false};
        case MirrorTrigger::Outcome::Mirrored:
            return {"W", false};
        case MirrorTrigger::Outcome::NormalAndMirrored:
            return {"W", true};
        }
        return {"N", false};
    }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    StationState state;
    Configuration config{boxes};
    AutoSelectRules rules{config};
    MirrorTrigger trigger{rules};
};

using Source = AutoSelectRules::Source;

TEST_F(MirrorTriggerTest, FromLeftComparesAtThePositionIgnoringCaseAndOuterSpaces)
{
    use(Source::ProgramName, true, true, 1, "x");
    EXPECT_EQ(test(" xa12 "), std::make_pair(QString("W"), false));
    EXPECT_EQ(test("AX12"), std::make_pair(QString("P"), false));
    use(Source::ProgramName, true, true, 3, "12");
    EXPECT_EQ(test("AX12").first, "W");
    use(Source::ProgramName, true, true, 3, "123");
    EXPECT_EQ(test("AX12").first, "P"); // runs past the end
}

TEST_F(MirrorTriggerTest, OnlySpacesAroundTheTextAreDropped)
{
    use(Source::ProgramName, true, true, 1, "x");
    EXPECT_EQ(test("\tXA").first, "P"); // a tab is text
    use(Source::ProgramName, true, false, 12, "a"); // the last character
    EXPECT_EQ(test("XA\r").first, "P");
    EXPECT_EQ(test("XA  ").first, "W");
}

TEST_F(MirrorTriggerTest, FromRightReachesBothEndsOfTheText)
{
    // Shown as 2 from the right: the second-to-last character.
    use(Source::ProgramName, true, false, 11, "A");
    EXPECT_EQ(test("PART01AB").first, "W");
    // Shown as 1 from the right: the last character can be tested.
    use(Source::ProgramName, true, false, 12, "B");
    EXPECT_EQ(test("PART01AB").first, "W");
    EXPECT_EQ(test("PART01BA").first, "P");
    use(Source::ProgramName, true, false, 10, "AB");
    EXPECT_EQ(test("PART01AB").first, "W");
    // The first character of the text.
    use(Source::ProgramName, true, false, 5, "P");
    EXPECT_EQ(test("PART01AB").first, "W");
}

TEST_F(MirrorTriggerTest, CommentRulesCountInTheWiderDisplay)
{
    use(Source::Comment, true, false, 23, "AB"); // maximum 24: shown as 2 from the right
    EXPECT_EQ(test("NAME", "left cabinet ab").first, "W");
    use(Source::ProgramName, true, false, 23, "AB"); // beyond the program name's display
    EXPECT_EQ(test("CAB").first, "P");
}

TEST_F(MirrorTriggerTest, StarMatchesAndNormAndMirrorAsksForTwoLines)
{
    use(Source::ProgramName, false, true, 9, "*");
    EXPECT_EQ(test("P"), std::make_pair(QString("W"), true));
    use(Source::ProgramName, false, true, 1, "Q");
    EXPECT_EQ(test("P"), std::make_pair(QString("P"), false));
}

TEST_F(MirrorTriggerTest, EmptyOrTooLongTriggersAndSourceBarcodeChangeNothing)
{
    use(Source::ProgramName, true, true, 1, "");
    EXPECT_EQ(test("PROG"), std::make_pair(QString("N"), false));
    use(Source::ProgramName, true, true, 1, "PROGRAM");
    EXPECT_EQ(test("PROG"), std::make_pair(QString("N"), false));
    use(Source::Comment, true, true, 1, "A");
    EXPECT_EQ(test("A", ""), std::make_pair(QString("N"), false));
    rules.SetTriggerSource(Source::Barcode);
    EXPECT_EQ(test("*"), std::make_pair(QString("N"), false));
}

} // namespace
