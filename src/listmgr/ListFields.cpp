#include "listmgr/ListFields.h"

#include <QRegularExpression>

ListFields ListFields::Read(const QString& text)
{
    static const QRegularExpression fieldPattern(QStringLiteral("^#([0-9]{1,9})=(.*)$"), QRegularExpression::DotMatchesEverythingOption);
    ListFields line;
    line.wasRead_ = true;
    line.read_ = text;
    for (const QString& piece : text.split(QLatin1Char(';'))) {
        if (piece.trimmed().isEmpty())
            continue;
        const QRegularExpressionMatch m = fieldPattern.match(piece);
        if (m.hasMatch())
            line.fields_.append({m.captured(1).toInt(), m.captured(2)});
        else
            line.fields_.append({NoField, piece});
    }
    return line;
}

void ListFields::Add(int number, const QString& value)
{
    wasRead_ = false;
    read_.clear();
    fields_.append({number, value});
}

QString ListFields::Value(int number) const
{
    for (const Field& field : fields_) {
        if (field.number == number)
            return field.value;
    }
    return QString();
}

QString ListFields::Text() const
{
    if (wasRead_)
        return read_;
    QString text;
    for (const Field& field : fields_) {
        if (field.number == NoField)
            text += field.value + QLatin1Char(';');
        else
            text += QLatin1Char('#') + QString::number(field.number) + QLatin1Char('=') + field.value + QLatin1Char(';');
    }
    return text;
}
