#pragma once

#include <QString>

// `NextWord`: reads a text one space-separated word per call, remembering in `WordCursor` the
// text it last read and how far it got. The position is 64-bit so that long texts cannot
// overflow it.
class WordReader {
public:
    struct Cursor {
        QString text;
        qint64 position = 0; // characters consumed, 0 = at the start
    };

    // The next word of text, trimmed of spaces (two spaces in a row give an empty word). An
    // empty text resets the cursor. A text no longer than the position reached gives an empty
    // word and leaves the cursor alone, even when it is a different text; a different, longer
    // text starts over from its beginning.
    QString NextWord(const QString& text);

    const Cursor& WordCursor() const { return cursor_; }

private:
    Cursor cursor_;
};
