#pragma once

#include <QList>
#include <QString>

// The field splitter (`Parser`): a text cut at every occurrence of any of a set of separator
// characters. Fields are numbered from 1; field 1 is the text before the first separator. Two
// separators in a row give an empty field between them; a field beyond the last reads empty.
class FieldParser {
public:
    // Each character of the text is a separator on its own; the order does not matter.
    void SetSeparators(const QString& characters);
    void SetText(const QString& text);

    QString Field(int index) const;
    // 0 for an empty text, else the number of separators found plus one.
    int FieldCount() const;

private:
    void Split();

    QString separators_;
    QString text_;
    QList<qsizetype> starts_; // start of each field; the field ends one before the next start
};
