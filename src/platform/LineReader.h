#pragma once

#include <QByteArray>
#include <QString>

// Reads a text file one line at a time without loading it whole, so that the cost of reading
// the first lines does not depend on the size of the file. A line ends at a carriage return, a
// line feed or the pair of them (files come from Windows stations and from scanners that send a
// bare carriage return). One byte is one character (Latin-1). A line longer than MaxLineLength
// ends the reading as a failure, so that a file without line ends is never held in memory. Only
// a regular file opens (see Files::OpenForReading).
class LineReader {
public:
    static constexpr qsizetype MaxLineLength = 64 * 1024;

    explicit LineReader(const QString& nativePath);
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool Open();
    // The next line without its line end; false at the end of the file or on a read error.
    bool ReadLine(QString& line);
    bool Failed() const { return failed_; }
    QString ErrorString() const { return error_; }
    // Closes this reader's file only.
    void Close();

private:
    bool Fill();

    QString path_;
    int fd_ = -1;
    QString error_;
    QByteArray buffer_;
    qsizetype pos_ = 0;
    bool skipLineFeed_ = false; // a carriage return ended the last line at the end of a chunk
    bool failed_ = false;
};
