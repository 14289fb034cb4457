#include "autosel/AutoSelectRules.h"

#include "config/Configuration.h"
#include "config/TextNumber.h"

#include <cmath>
#include <stdexcept>

namespace {
// A text read as an integer the way the setting was kept: the leading number, rounded half to
// even; a value the setting cannot hold counts as 0.
int integerOf(const QString& text, double low, double high)
{
    const double value = std::nearbyint(TextNumber::Value(text));
    if (value < low || value > high)
        return 0;
    return static_cast<int>(value);
}

const char* const ruleKeys[] = {"PNameMirror", "PNameNandM", "CommentMirror", "CommentNandM"};
} // namespace

const std::array<QString, AutoSelectRules::FieldCount>& AutoSelectRules::Suffixes()
{
    static const std::array<QString, FieldCount> suffixes{
        QStringLiteral("SFN"), QStringLiteral("SFM"), QStringLiteral("SFS"), QStringLiteral("SFA"),
        QStringLiteral("SFT"), QStringLiteral("SFR"), QStringLiteral("BFN"), QStringLiteral("BFM"),
        QStringLiteral("FFN"), QStringLiteral("FFM"), QStringLiteral("BFS"), QStringLiteral("BFA"),
        QStringLiteral("BFT"), QStringLiteral("BFR"), QStringLiteral("FFS"), QStringLiteral("FFA"),
        QStringLiteral("FFT"), QStringLiteral("FFR"), QStringLiteral("DFN")};
    return suffixes;
}

bool AutoSelectRules::AlwaysEnabled(const QString& suffix)
{
    return suffix == QLatin1String("SFN") || suffix == QLatin1String("SFM") || suffix == QLatin1String("DFN");
}

int AutoSelectRules::CodeLimit(const QString& suffix)
{
    const bool wide = suffix == QLatin1String("FFS") || suffix == QLatin1String("FFA") ||
                      suffix == QLatin1String("FFT") || suffix == QLatin1String("FFR");
    return wide ? 5 : 3;
}

int AutoSelectRules::DisplayWidth(Source source)
{
    return source == Source::Comment ? CommentWidth : ProgramNameWidth;
}

AutoSelectRules::AutoSelectRules(Configuration& config)
    : config_(config)
{
}

AutoSelectRules::FieldEntry& AutoSelectRules::Field(const QString& suffix)
{
    ensureLoaded();
    const int i = fieldIndex(suffix);
    if (i < 0)
        throw std::invalid_argument("unknown field suffix " + suffix.toStdString());
    return fields_[static_cast<size_t>(i)];
}

void AutoSelectRules::SetFieldCode(const QString& suffix, const QString& typed)
{
    Field(suffix).Code = typed.toUpper();
}

bool AutoSelectRules::IsEnabled(const QString& suffix)
{
    return AlwaysEnabled(suffix) || Field(suffix).Enabled == 1;
}

QString AutoSelectRules::DefaultFieldCode()
{
    return Field(QStringLiteral("DFN")).Code.toUpper();
}

QString AutoSelectRules::HalfLimitX()
{
    ensureLoaded();
    return halfLimitX_;
}

QString AutoSelectRules::HalfLimitY()
{
    ensureLoaded();
    return halfLimitY_;
}

void AutoSelectRules::SetHalfLimitX(const QString& text)
{
    ensureLoaded();
    halfLimitX_ = text;
}

void AutoSelectRules::SetHalfLimitY(const QString& text)
{
    ensureLoaded();
    halfLimitY_ = text;
}

AutoSelectRules::Source AutoSelectRules::TriggerSource()
{
    ensureLoaded();
    return source_;
}

void AutoSelectRules::SetTriggerSource(Source source)
{
    ensureLoaded();
    source_ = source;
}

bool AutoSelectRules::ShownMirror()
{
    ensureLoaded();
    return shownMirror_;
}

void AutoSelectRules::SetShownMirror(bool mirror)
{
    ensureLoaded();
    shownMirror_ = mirror;
}

int AutoSelectRules::PNameMSel()
{
    ensureLoaded();
    return pNameMSel_;
}

int AutoSelectRules::CommentMSel()
{
    ensureLoaded();
    return commentMSel_;
}

void AutoSelectRules::SetPNameMSel(int value)
{
    ensureLoaded();
    pNameMSel_ = value;
}

void AutoSelectRules::SetCommentMSel(int value)
{
    ensureLoaded();
    commentMSel_ = value;
}

MirrorTriggerRule& AutoSelectRules::Rule(Source source, bool mirror)
{
    ensureLoaded();
    return rules_[static_cast<size_t>(ruleIndex(source, mirror))];
}

MirrorTriggerRule* AutoSelectRules::ActiveRule()
{
    ensureLoaded();
    if (source_ == Source::Barcode)
        return nullptr;
    return &rules_[static_cast<size_t>(ruleIndex(source_, shownMirror_))];
}

int AutoSelectRules::ScrollMaximum()
{
    ensureLoaded();
    return scrollMaximum_;
}

void AutoSelectRules::ShowActiveRule()
{
    if (MirrorTriggerRule* rule = ActiveRule())
        rule->ClampPosition(scrollMaximum_);
}

void AutoSelectRules::UpdateScrollMaximum()
{
    MirrorTriggerRule* rule = ActiveRule();
    if (!rule)
        return;
    scrollMaximum_ = rule->MaxPosition(DisplayWidth(source_));
    if (rule->Position > scrollMaximum_)
        rule->ClampPosition(scrollMaximum_);
}

void AutoSelectRules::StoreShownOutcome()
{
    ensureLoaded();
    const int flag = shownMirror_ ? 1 : 0;
    if (source_ == Source::ProgramName)
        pNameMSel_ = flag;
    else if (source_ == Source::Comment)
        commentMSel_ = flag;
}

AutoSelectRules::Snapshot AutoSelectRules::TakeSnapshot()
{
    ensureLoaded();
    return Snapshot{fields_, halfLimitX_, halfLimitY_, source_, shownMirror_, pNameMSel_, commentMSel_, rules_, scrollMaximum_};
}

void AutoSelectRules::Restore(const Snapshot& snapshot)
{
    ensureLoaded();
    fields_ = snapshot.Fields;
    halfLimitX_ = snapshot.HalfLimitX;
    halfLimitY_ = snapshot.HalfLimitY;
    source_ = snapshot.TriggerSource;
    shownMirror_ = snapshot.ShownMirror;
    pNameMSel_ = snapshot.PNameMSel;
    commentMSel_ = snapshot.CommentMSel;
    rules_ = snapshot.Rules;
    scrollMaximum_ = snapshot.ScrollMaximum;
}

void AutoSelectRules::Load()
{
    if (loaded_)
        return;
    loaded_ = true;

    const auto& suffixes = Suffixes();
    for (size_t i = 0; i < suffixes.size(); ++i) {
        fields_[i].Code = read(QStringLiteral("FieldCode_") + suffixes[i]);
        // A check box shows 0, 1 or 2 only; anything else loads as cleared.
        const int flag = integerOf(read(QStringLiteral("FieldFlag_") + suffixes[i]), 0, 2);
        fields_[i].Enabled = AlwaysEnabled(suffixes[i]) ? 1 : flag;
    }
    halfLimitX_ = read(QStringLiteral("HalfLimitX"));
    halfLimitY_ = read(QStringLiteral("HalfLimitY"));

    pNameMSel_ = integerOf(read(QStringLiteral("PNameMSel")), -2147483648.0, 2147483647.0);
    commentMSel_ = integerOf(read(QStringLiteral("CommentMSel")), -2147483648.0, 2147483647.0);
    const int setting = integerOf(read(QStringLiteral("AutoSelSetting")), -2147483648.0, 2147483647.0);
    if (setting == 1) {
        source_ = Source::ProgramName;
        shownMirror_ = pNameMSel_ != 0;
    } else if (setting == 2) {
        source_ = Source::Comment;
        shownMirror_ = commentMSel_ != 0;
    }

    for (size_t i = 0; i < rules_.size(); ++i) {
        const QString base = QLatin1String(ruleKeys[i]);
        rules_[i].Alignment = static_cast<qint16>(integerOf(read(base + QStringLiteral("LR")), -32768, 32767));
        rules_[i].Position = static_cast<qint16>(integerOf(read(base + QStringLiteral("CPos")), -32768, 32767));
        rules_[i].Text = read(base + QStringLiteral("Text"));
    }

    // Selecting the source shows its rule while the trigger box is still empty, so the first
    // clamp uses the full display width; the trigger text then narrows the maximum.
    if (source_ != Source::Barcode) {
        scrollMaximum_ = DisplayWidth(source_);
        ShowActiveRule();
        UpdateScrollMaximum();
    }
}

bool AutoSelectRules::Save()
{
    ensureLoaded();
    bool ok = true;
    const auto& suffixes = Suffixes();
    for (size_t i = 0; i < suffixes.size(); ++i) {
        ok &= write(QStringLiteral("FieldCode_") + suffixes[i], fields_[i].Code.toUpper());
        const int flag = AlwaysEnabled(suffixes[i]) ? 1 : fields_[i].Enabled;
        ok &= write(QStringLiteral("FieldFlag_") + suffixes[i], QLatin1Char(' ') + QString::number(flag));
    }
    ok &= write(QStringLiteral("HalfLimitX"), halfLimitX_);
    ok &= write(QStringLiteral("HalfLimitY"), halfLimitY_);
    StoreShownOutcome();
    ok &= write(QStringLiteral("AutoSelSetting"), QString::number(static_cast<int>(source_)));
    for (size_t i = 0; i < rules_.size(); ++i) {
        const QString base = QLatin1String(ruleKeys[i]);
        ok &= write(base + QStringLiteral("LR"), QString::number(rules_[i].Alignment));
        ok &= write(base + QStringLiteral("CPos"), QString::number(rules_[i].Position));
        // Spaces in a trigger count, also at its ends: they must survive the reading back.
        ok &= config_.WriteIniText(Configuration::Section, base + QStringLiteral("Text"), rules_[i].Text);
    }
    ok &= write(QStringLiteral("PNameMSel"), QString::number(pNameMSel_));
    ok &= write(QStringLiteral("CommentMSel"), QString::number(commentMSel_));
    return ok;
}

void AutoSelectRules::ensureLoaded()
{
    if (!loaded_)
        Load();
}

int AutoSelectRules::fieldIndex(const QString& suffix) const
{
    const auto& suffixes = Suffixes();
    for (size_t i = 0; i < suffixes.size(); ++i) {
        if (suffixes[i] == suffix)
            return static_cast<int>(i);
    }
    return -1;
}

int AutoSelectRules::ruleIndex(Source source, bool mirror)
{
    return (source == Source::Comment ? 2 : 0) + (mirror ? 0 : 1);
}

QString AutoSelectRules::read(const QString& key) const
{
    return config_.ReadIniValue(Configuration::Section, key);
}

bool AutoSelectRules::write(const QString& key, const QString& value)
{
    return config_.WriteIniValue(Configuration::Section, key, value);
}
