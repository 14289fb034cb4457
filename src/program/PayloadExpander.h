#pragma once

#include <QByteArray>
#include <QString>

class StationState;

// `ExpandPayload`: turns a compressed scan back into the text it carries.
//
// Layout, positions 1-based: 1 the marker (character 241), 2-3 unused, 4-8 the expanded length
// (five characters read as a number, up to 99,999), 9-11 unused, 12 on the zlib stream with
// every backslash doubled. Short payloads are expanded in memory; longer ones go through two
// work files, which are left in place for whoever needs to look at them.
class PayloadExpander {
public:
    static constexpr char16_t Marker = 241;
    // The in-memory route's buffers hold 23,200 characters, 128 of which are kept in reserve.
    static constexpr int MemoryLimit = 23072;
    static constexpr int MaxLength = 99999;
    static inline const QString CompressedWorkFile = QStringLiteral("C:\\Veltra\\Bin\\Temp.Cmp");
    static inline const QString ExpandedWorkFile = QStringLiteral("C:\\Veltra\\Bin\\Temp.Dat");

    explicit PayloadExpander(StationState& state);

    // The expanded text (one byte one character), or empty when the scan holds nothing usable;
    // every such case is reported on the status line and in the log. On return scan holds the
    // compressed data with the backslash doubling undone.
    QString ExpandPayload(QString& scan);
    // Why the last ExpandPayload gave nothing; empty after one that succeeded.
    const QString& DropReason() const { return dropReason_; }

    // A compressed scan that carries text, as a scanner would send it; empty when the text is
    // longer than the length field can announce.
    static QByteArray MakeScan(const QByteArray& text);

    // Undoes the doubling: in a run of backslashes every second one is dropped.
    static QByteArray UndoBackslashDoubling(const QByteArray& data);

private:
    bool ExpandThroughFiles(const QByteArray& data, int length, QByteArray& out);
    void Drop(const QString& reason, const QString& details);

    StationState& state_;
    QString dropReason_;
};
