#include "config/Spaces.h"
#include "scan/WordReader.h"


QString WordReader::NextWord(const QString& text)
{
    if (text.isEmpty()) {
        cursor_ = Cursor();
        return QString();
    }
    if (cursor_.position >= text.size())
        return QString();
    if (text != cursor_.text)
        cursor_.position = 0;

    const qint64 position = cursor_.position;
    // Positions below are 1-based, as the word reader counts them: q is the first space at or
    // after position + 1, or the length of the text when there is none.
    const qsizetype space = text.indexOf(QLatin1Char(' '), position);
    const qint64 q = space >= 0 ? space + 1 : text.size();
    const QString word = Spaces::Trim(text.mid(position, q - position));

    // The first space at or after q in the text with one space appended: q itself when it is a
    // space, else one past the end.
    const qint64 next = text[q - 1] == QLatin1Char(' ') ? q : text.size() + 1;
    cursor_.text = text;
    cursor_.position = next;
    return word;
}
