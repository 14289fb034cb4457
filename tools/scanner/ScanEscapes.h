#pragma once

#include <QByteArray>

// The escapes a scan line may carry: \\ a backslash, \r carriage return, \n line feed, \xHH the
// byte with that hexadecimal value. Any other backslash stays as it is.
class ScanEscapes {
public:
    static QByteArray Decode(const QByteArray& line);
    // Bytes for the terminal: printable ASCII as is, the rest escaped the same way.
    static QByteArray Encode(const QByteArray& bytes);
};
