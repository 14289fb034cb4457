#include "platform/FieldParser.h"

void FieldParser::SetSeparators(const QString& characters)
{
    separators_ = characters;
    Split();
}

void FieldParser::SetText(const QString& text)
{
    text_ = text;
    Split();
}

QString FieldParser::Field(int index) const
{
    if (index < 1 || index > starts_.size())
        return QString();
    const qsizetype start = starts_[index - 1];
    // The next field starts just after the separator that ends this one.
    const qsizetype end = index < starts_.size() ? starts_[index] - 1 : text_.size();
    return text_.mid(start, end - start);
}

int FieldParser::FieldCount() const
{
    return static_cast<int>(starts_.size());
}

void FieldParser::Split()
{
    starts_.clear();
    if (text_.isEmpty())
        return;
    starts_.append(0);
    for (qsizetype i = 0; i < text_.size(); ++i) {
        if (separators_.contains(text_[i]))
            starts_.append(i + 1);
    }
}
