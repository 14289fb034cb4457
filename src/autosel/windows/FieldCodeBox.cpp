#include "autosel/windows/FieldCodeBox.h"

#include "autosel/AutoSelectRules.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

FieldCodeBox::FieldCodeBox(AutoSelectRules& rules, const QString& suffix, const QString& toolTip, QWidget* parent)
    : QFrame(parent), rules_(rules), suffix_(suffix)
{
    setObjectName(QStringLiteral("box") + suffix);
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    setToolTip(toolTip);

    const QString letter = suffix.right(1);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(3);
    if (AutoSelectRules::AlwaysEnabled(suffix)) {
        auto* caption = new QLabel(letter, this);
        QFont bold = caption->font();
        bold.setBold(true);
        caption->setFont(bold);
        layout->addWidget(caption);
    } else {
        flag_ = new QCheckBox(letter, this);
        flag_->setObjectName(suffix + QStringLiteral("cb"));
        flag_->setToolTip(QStringLiteral("Let the automatic selection choose this field"));
        connect(flag_, &QCheckBox::stateChanged, this, &FieldCodeBox::flagChanged);
        connect(flag_, &QCheckBox::clicked, this, &FieldCodeBox::flagClicked);
        layout->addWidget(flag_);
    }
    code_ = new QLineEdit(this);
    code_->setObjectName(suffix);
    code_->setToolTip(QStringLiteral("Field code sent to the list manager"));
    const int limit = AutoSelectRules::CodeLimit(suffix);
    code_->setMaxLength(limit);
    code_->setFixedWidth(code_->fontMetrics().horizontalAdvance(QString(limit + 1, QLatin1Char('W'))) + 8);
    connect(code_, &QLineEdit::textChanged, this, &FieldCodeBox::codeChanged);
    layout->addWidget(code_);
}

void FieldCodeBox::ShowEntry()
{
    const AutoSelectRules::FieldEntry& entry = rules_.Field(suffix_);
    showing_ = true;
    // A longer code written into the file by hand is shown and kept whole; only typing is limited.
    code_->setMaxLength(qMax<int>(AutoSelectRules::CodeLimit(suffix_), static_cast<int>(entry.Code.size())));
    code_->setText(entry.Code);
    if (flag_) {
        // A stored 2 shows as the greyed state, which does not enable the field.
        flag_->setTristate(entry.Enabled == 2);
        flag_->setCheckState(entry.Enabled == 1 ? Qt::Checked : entry.Enabled == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
    }
    showing_ = false;
}

void FieldCodeBox::SetEnabled(bool enabled)
{
    if (!flag_)
        return;
    flag_->setTristate(false);
    flag_->setCheckState(enabled ? Qt::Checked : Qt::Unchecked);
}

void FieldCodeBox::codeChanged(const QString& text)
{
    // The box keeps what was typed.
    if (!showing_)
        rules_.SetFieldCode(suffix_, text);
}

void FieldCodeBox::flagChanged(int state)
{
    if (!showing_)
        rules_.Field(suffix_).Enabled = state == Qt::Checked ? 1 : state == Qt::PartiallyChecked ? 2 : 0;
}

void FieldCodeBox::flagClicked()
{
    // The greyed state comes only from the file; the operator's clicks toggle on and off.
    flag_->setTristate(false);
}
