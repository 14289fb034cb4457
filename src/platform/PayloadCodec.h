#pragma once

#include <QByteArray>
#include <QString>

// The codec of compressed scans: zlib streams (RFC 1950). Expansion is bounded by the length
// the scan announces, so no stream, however it is made, can make it allocate or write more.
class PayloadCodec {
public:
    enum class Result {
        Ok,          // the stream ended with exactly the expected length
        Corrupt,     // not a zlib stream, damaged data or a wrong checksum
        Truncated,   // the data ended before the stream did
        TooShort,    // the stream ended before the expected length
        TooLong,     // the stream holds more than the expected length
        ReadFailed,  // the compressed file could not be read
        WriteFailed, // the expanded file could not be written
    };

    // Expands data into out. On failure out holds what was expanded before it (at most
    // expectedLength bytes). Bytes after the end of the stream are ignored.
    static Result Inflate(const QByteArray& data, qsizetype expectedLength, QByteArray& out);

    // The work-file form: expands the first compressedLength bytes of the file inputPath into
    // the file outputPath (created or replaced; it receives what was expanded even on failure)
    // and into out, as Inflate does. Paths are native. error gets the file error text of
    // ReadFailed and WriteFailed.
    static Result InflateFile(const QString& inputPath, qint64 compressedLength, const QString& outputPath,
                              qsizetype expectedLength, QByteArray& out, QString& error);

    // A zlib stream of data at the best compression (barcodes are small).
    static QByteArray Deflate(const QByteArray& data);

    // A short English text for the log and the status line, e.g. "data is corrupt".
    static QString Describe(Result result);
};
