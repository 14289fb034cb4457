#include "autosel/AutoSelectCheck.h"
#include "autosel/AutoSelectRules.h"
#include "config/Configuration.h"
#include "listmgr/FieldCodeTable.h"
#include "support/FakeMessageBoxes.h"
#include "support/TestEnvironment.h"

#include <gtest/gtest.h>

namespace {

using Source = AutoSelectRules::Source;

const char* const fileOrder[] = {"SFN", "SFM", "SFS", "SFA", "SFT", "SFR", "BFN", "BFM", "FFN", "FFM",
                                 "BFS", "BFA", "BFT", "BFR", "FFS", "FFA", "FFT", "FFR", "DFN"};

class AutoSelectRulesTest : public testing::Test {
protected:
    void configure(const QByteArray& body) { config.IniFilePath = env.Write(path(), "[GESTBCOD]\n" + body); }
    QString path() const { return env.Root() + "/ZEM.INI"; }
    QByteArray file() const { return TestEnvironment::Read(path()).replace("\r\n", "\n"); }

    TestEnvironment env;
    FakeMessageBoxes boxes;
    Configuration config{boxes};
    const QStringList codes = [] {
        FieldCodeTable table;
        table.InitFieldCodeTable();
        return table.Codes();
    }();
};

TEST_F(AutoSelectRulesTest, AnEmptyFileLoadsTheDefaultsAndSavesEveryKeyInOrder)
{
    configure("");
    AutoSelectRules rules(config);
    for (const char* suffix : fileOrder) {
        EXPECT_EQ(rules.Field(suffix).Code, "") << suffix;
        EXPECT_EQ(rules.IsEnabled(suffix), AutoSelectRules::AlwaysEnabled(suffix)) << suffix;
    }
    EXPECT_EQ(rules.HalfLimitX(), "");
    EXPECT_EQ(rules.TriggerSource(), Source::Barcode);
    EXPECT_TRUE(rules.ShownMirror());
    EXPECT_EQ(rules.ActiveRule(), nullptr);
    EXPECT_FALSE(rules.Rule(Source::Comment, false).FromLeft());
    EXPECT_EQ(rules.DefaultFieldCode(), "");

    ASSERT_TRUE(rules.Save());
    QByteArray expected = "[GESTBCOD]\n";
    for (const char* suffix : fileOrder) {
        const bool always = AutoSelectRules::AlwaysEnabled(suffix);
        expected += QByteArray("FieldCode_") + suffix + "=\nFieldFlag_" + suffix + (always ? "= 1\n" : "= 0\n");
    }
    expected += "HalfLimitX=\nHalfLimitY=\nAutoSelSetting=3\n"
                "PNameMirrorLR=0\nPNameMirrorCPos=0\nPNameMirrorText=\n"
                "PNameNandMLR=0\nPNameNandMCPos=0\nPNameNandMText=\n"
                "CommentMirrorLR=0\nCommentMirrorCPos=0\nCommentMirrorText=\n"
                "CommentNandMLR=0\nCommentNandMCPos=0\nCommentNandMText=\n"
                "PNameMSel=0\nCommentMSel=0\n";
    EXPECT_EQ(file(), expected);
}

TEST_F(AutoSelectRulesTest, StoredValuesComeBackAndCodesAreSavedUpperCased)
{
    configure("FieldCode_FFS=ab1/0\nFieldFlag_FFS=1\nFieldCode_DFN=n1\nFieldFlag_SFS=2\nFieldFlag_SFA=7\nFieldFlag_SFN=0\n"
              "HalfLimitX=600 mm\nHalfLimitY=700\nAutoSelSetting=1\nPNameMSel=1\nCommentMSel=5\n"
              "PNameMirrorLR=-1\nPNameMirrorCPos=4\nPNameMirrorText=ab \nCommentNandMLR=3\nCommentNandMText=X\n");
    AutoSelectRules rules(config);
    EXPECT_EQ(rules.Field("FFS").Code, "ab1/0"); // the file's text until it is saved
    EXPECT_TRUE(rules.IsEnabled("FFS"));
    EXPECT_EQ(rules.Field("SFS").Enabled, 2);
    EXPECT_FALSE(rules.IsEnabled("SFS"));
    EXPECT_EQ(rules.Field("SFA").Enabled, 0); // no check box can show 7
    EXPECT_TRUE(rules.IsEnabled("SFN"));
    EXPECT_EQ(rules.DefaultFieldCode(), "N1");
    EXPECT_EQ(rules.HalfLimitX(), "600 mm");
    EXPECT_EQ(rules.TriggerSource(), Source::ProgramName);
    EXPECT_TRUE(rules.ShownMirror());
    ASSERT_EQ(rules.ActiveRule(), &rules.Rule(Source::ProgramName, true));
    EXPECT_TRUE(rules.ActiveRule()->FromLeft());
    EXPECT_EQ(rules.ActiveRule()->Text, "ab"); // the profile reader drops blanks around values
    EXPECT_EQ(rules.ScrollMaximum(), 11);

    ASSERT_TRUE(rules.Save());
    const QByteArray saved = file();
    for (const char* line : {"FieldCode_FFS=AB1/0\n", "FieldCode_DFN=N1\n", "FieldFlag_SFS= 2\n", "FieldFlag_SFA= 0\n",
                             "FieldFlag_SFN= 1\n", "HalfLimitX=600 mm\n", "AutoSelSetting=1\n", "PNameMSel=1\n",
                             "CommentMSel=5\n", "PNameMirrorLR=-1\n", "PNameMirrorCPos=4\n", "CommentNandMLR=3\n"})
        EXPECT_TRUE(saved.contains(line)) << line;

    AutoSelectRules again(config);
    EXPECT_EQ(again.Field("FFS").Code, "AB1/0");
    EXPECT_EQ(again.Rule(Source::Comment, false).Alignment, 3);
    EXPECT_EQ(again.Rule(Source::Comment, false).Text, "X");
}

TEST_F(AutoSelectRulesTest, TriggerTextsWithSpacesAtTheirEndsSurviveASave)
{
    configure("");
    AutoSelectRules rules(config);
    rules.Rule(Source::ProgramName, true).Text = "A ";
    rules.Rule(Source::Comment, false).Text = " 'q'";
    ASSERT_TRUE(rules.Save());
    AutoSelectRules again(config);
    EXPECT_EQ(again.Rule(Source::ProgramName, true).Text, "A ");
    EXPECT_EQ(again.Rule(Source::Comment, false).Text, " 'q'");
}

TEST_F(AutoSelectRulesTest, TheFileIsReadOnFirstUseAndOnlyOnce)
{
    configure("HalfLimitX=1\n");
    AutoSelectRules rules(config);
    EXPECT_FALSE(rules.IsLoaded());
    configure("HalfLimitX=2\n");
    EXPECT_EQ(rules.HalfLimitX(), "2");
    EXPECT_TRUE(rules.IsLoaded());
    configure("HalfLimitX=3\n");
    EXPECT_EQ(rules.HalfLimitX(), "2");
}

TEST_F(AutoSelectRulesTest, TheShownRulesPositionIsKeptInRange)
{
    configure("AutoSelSetting=1\nPNameMSel=1\nPNameMirrorCPos=20\nPNameMirrorText=AB\nPNameNandMCPos=-5\n");
    AutoSelectRules rules(config);
    EXPECT_EQ(rules.Rule(Source::ProgramName, true).Position, 11);
    EXPECT_EQ(rules.Rule(Source::ProgramName, false).Position, -5); // not shown, not clamped

    rules.ActiveRule()->Text = "ABCDE"; // typed in the dialog
    rules.UpdateScrollMaximum();
    EXPECT_EQ(rules.ScrollMaximum(), 8);
    EXPECT_EQ(rules.ActiveRule()->Position, 8);

    rules.SetShownMirror(false);
    rules.ShowActiveRule();
    EXPECT_EQ(rules.Rule(Source::ProgramName, false).Position, 1);

    rules.SetTriggerSource(Source::Comment);
    rules.Rule(Source::Comment, false).Position = 40;
    rules.ShowActiveRule(); // against the maximum still shown
    EXPECT_EQ(rules.Rule(Source::Comment, false).Position, 8);
    rules.UpdateScrollMaximum();
    EXPECT_EQ(rules.ScrollMaximum(), 26);

    // A trigger too long for the display leaves no valid position: the rule keeps 1, never a
    // negative position that would be saved.
    rules.ActiveRule()->Text = QString(30, 'T');
    rules.UpdateScrollMaximum();
    EXPECT_EQ(rules.ScrollMaximum(), -4);
    EXPECT_EQ(rules.ActiveRule()->Position, 1);

    // Saving stores the outcome shown for the source shown.
    ASSERT_TRUE(rules.Save());
    EXPECT_TRUE(file().contains("CommentNandMCPos=1\n"));
    EXPECT_TRUE(file().contains("CommentMSel=0\n"));
    EXPECT_TRUE(file().contains("PNameMSel=1\n"));
    EXPECT_TRUE(file().contains("AutoSelSetting=2\n"));
}

TEST(AutoSelectCheckTest, HalfLimitsMustBeginWithASaneNumberOfMillimetres)
{
    // Every form stored so far stays usable as it is.
    for (const char* usable : {"", "  ", "0", "1500", "650 mm", "650mm", " 1500", "600.5", "+700", "99999", "6e2"})
        EXPECT_EQ(AutoSelectCheck::HalfLimitProblem("Half-table limit X", usable), "") << usable;
    const std::pair<const char*, const char*> unusable[] = {
        {"abc", "does not begin with a number"},  {"mm 650", "does not begin with a number"},
        {"-5", "below 0 mm"},                      {"12345678901234567890123", "more than 99999 mm"},
        {"1e30", "more than 99999 mm"},            {"1,500", "would be read as 1 mm"}};
    for (const auto& [text, why] : unusable) {
        const QString problem = AutoSelectCheck::HalfLimitProblem("Half-table limit Y", text);
        EXPECT_TRUE(problem.startsWith(QStringLiteral("Half-table limit Y: \"%1\" ").arg(text)) && problem.contains(why))
            << problem.toStdString();
    }
}

TEST_F(AutoSelectRulesTest, OnlyTheTriggerInUseMustFitTheDisplay)
{
    configure("AutoSelSetting=1\nPNameMSel=1\nPNameMirrorText=ABCDEFGHIJKL\nCommentMirrorText=ABCDEFGHIJKLMNOPQRSTUVWXYZ\n"
              "HalfLimitX=abc\n");
    AutoSelectRules rules(config);
    // The trigger comes first, as the dialog shows it first.
    EXPECT_EQ(AutoSelectCheck::FirstUnusable(rules, codes).value, AutoSelectCheck::Value::HalfLimitX);
    rules.ActiveRule()->Text += "M";
    const AutoSelectCheck::Finding finding = AutoSelectCheck::FirstUnusable(rules, codes);
    EXPECT_EQ(finding.value, AutoSelectCheck::Value::TriggerText);
    EXPECT_TRUE(finding.message.contains("13 characters long; a trigger for the program name can have at most 12"))
        << finding.message.toStdString();
    rules.SetHalfLimitX("");
    rules.SetTriggerSource(Source::Comment);
    EXPECT_TRUE(AutoSelectCheck::FirstUnusable(rules, codes).message.contains("26 characters long; a trigger for the comment can have at most 25"));
    rules.SetTriggerSource(Source::Barcode); // no trigger is used
    EXPECT_EQ(AutoSelectCheck::FirstUnusable(rules, codes).value, AutoSelectCheck::Value::None);
    rules.SetHalfLimitY("-1");
    EXPECT_EQ(AutoSelectCheck::FirstUnusable(rules, codes).value, AutoSelectCheck::Value::HalfLimitY);
}

TEST_F(AutoSelectRulesTest, AFailedSaveIsToldToTheCaller)
{
    configure("");
    AutoSelectRules rules(config);
    rules.Field("SFN");
    config.IniFilePath = env.Root() + "/ZEM.INI/inside/ZEM.INI";
    EXPECT_FALSE(rules.Save());
    EXPECT_TRUE(env.LogLines().join('\n').contains("could not write FieldCode_SFN"));
}

TEST_F(AutoSelectRulesTest, ARestoredSnapshotUndoesEveryEditAndSavesAsBefore)
{
    configure("FieldCode_SFS=s1\nFieldFlag_SFS=1\nHalfLimitX=600\nAutoSelSetting=2\nCommentMSel=1\n"
              "CommentMirrorLR=-1\nCommentMirrorCPos=3\nCommentMirrorText=K\n");
    AutoSelectRules rules(config);
    const AutoSelectRules::Snapshot before = rules.TakeSnapshot();
    ASSERT_TRUE(rules.Save());
    const QByteArray savedBefore = file();

    rules.Field("SFS").Code = "x";
    rules.Field("SFS").Enabled = 0;
    rules.Field("FFR").Enabled = 1;
    rules.SetHalfLimitX("1");
    rules.SetHalfLimitY("2");
    rules.ActiveRule()->Text = "LONGER";
    rules.ActiveRule()->Position = 9;
    rules.UpdateScrollMaximum();
    rules.SetShownMirror(false);
    rules.SetCommentMSel(0);
    rules.SetTriggerSource(Source::ProgramName);
    rules.Rule(Source::ProgramName, false).Alignment = -1;

    rules.Restore(before);
    EXPECT_EQ(rules.Field("SFS").Code, "s1");
    EXPECT_TRUE(rules.IsEnabled("SFS"));
    EXPECT_FALSE(rules.IsEnabled("FFR"));
    EXPECT_EQ(rules.TriggerSource(), Source::Comment);
    EXPECT_TRUE(rules.ShownMirror());
    ASSERT_EQ(rules.ActiveRule(), &rules.Rule(Source::Comment, true));
    EXPECT_EQ(rules.ActiveRule()->Text, "K");
    EXPECT_EQ(rules.ActiveRule()->Position, 3);
    EXPECT_EQ(rules.ScrollMaximum(), 25);
    EXPECT_FALSE(rules.Rule(Source::ProgramName, false).FromLeft());
    ASSERT_TRUE(rules.Save());
    EXPECT_EQ(file(), savedBefore);
}

} // namespace
