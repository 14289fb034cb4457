#pragma once

#include "production/ProductionSink.h"

#include <QList>

// Keeps what it is given, in order.
class KeptRecords : public ProductionSink {
public:
    void Add(const ProductionEntry& entry) override { entries.append(entry); }

    template <typename T>
    QList<T> Of() const
    {
        QList<T> found;
        for (const ProductionEntry& entry : entries) {
            if (const T* one = std::get_if<T>(&entry))
                found << *one;
        }
        return found;
    }
    // The line record of that uid; it must come before every outcome of the line.
    const LineRecord* Line(const QString& uid, qsizetype before) const
    {
        for (qsizetype i = 0; i < qMin(before, entries.size()); ++i) {
            if (const auto* line = std::get_if<LineRecord>(&entries[i]); line && line->uid == uid)
                return line;
        }
        return nullptr;
    }
    qsizetype IndexOf(const QString& uid) const
    {
        for (qsizetype i = 0; i < entries.size(); ++i) {
            if (const auto* outcome = std::get_if<LineOutcome>(&entries[i]); outcome && outcome->uid == uid)
                return i;
        }
        return -1;
    }

    QList<ProductionEntry> entries;
};
