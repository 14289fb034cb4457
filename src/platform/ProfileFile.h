#pragma once

#include <QList>
#include <QString>

#include <utility>

// Reads and writes INI ("profile") files the way the Windows profile functions do, so that
// files copied from existing stations read the same and keep their layout when written.
// Paths are native. A file that is valid UTF-8 and holds more than ASCII is read and written as
// UTF-8; any other file byte for byte, one byte one character (the Windows code page, Latin-1).
// Only a regular file of at most MaxFileSize bytes is read: anything else reads as empty, and
// is not written over.
class ProfileFile {
public:
    static constexpr qint64 MaxFileSize = 1024 * 1024;

    // Why the file cannot be read (not a regular file, larger than MaxFileSize, unreadable), or
    // empty text when it can or is missing.
    static QString Refusal(const QString& file);

    // The value of the key, or the default when the section or key is missing. At most
    // bufferSize - 1 characters are returned, like a read into a buffer of that size; with
    // bufferSize 0 the whole value.
    static QString ReadString(const QString& file, const QString& section, const QString& key,
                              const QString& defaultValue, int bufferSize);

    // The value's leading decimal number (optional sign); 0 when it has no digits; the default
    // when the key is missing. Values beyond the 64-bit range saturate.
    static qint64 ReadInt(const QString& file, const QString& section, const QString& key, qint64 defaultValue);

    // Every key of the section with its value, in file order; of duplicate keys the first.
    static QList<std::pair<QString, QString>> ReadSection(const QString& file, const QString& section);

    // Writes key=value, changing only that line; a new key goes after the last key of its
    // section, a new section at the end, a missing file is created. The file is replaced
    // through a temporary file. Returns false (and sets *error) when the file could not be
    // written, or could not be read first (it is then left as it is), and refuses a value that
    // holds a line end.
    static bool WriteString(const QString& file, const QString& section, const QString& key,
                            const QString& value, QString* error = nullptr);
};
