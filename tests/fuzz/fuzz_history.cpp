// The scan history file as start-up may find it. Whatever it holds, reading it never crashes and
// yields at most the history's capacity; once a scan has been added, what is written reads back
// as the same entries, below the next restart's line.
#include "FuzzEnvironment.h"
#include "station/ScanHistory.h"
#include "station/ScanHistoryFile.h"

#include <QFile>

#include <cstddef>
#include <cstdint>

namespace {
bool same(const ScanHistory::Entry& a, const ScanHistory::Entry& b)
{
    return a.time == b.time && a.arrived == b.arrived && a.origin == b.origin && a.outcomes == b.outcomes &&
           a.mark == b.mark && a.reasons == b.reasons;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const FuzzEnvironment& env = FuzzEnvironment::Get();
    env.ResetLog();
    const QString path = env.Root() + QStringLiteral("/scan-history.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        FuzzFailure("the history file could not be written");
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();

    ScanHistory first;
    ScanHistoryFile firstFile(first, path);
    firstFile.Load();
    if (first.Entries().size() > ScanHistory::Capacity)
        FuzzFailure("more entries read back than the history holds");
    first.Begin(QStringLiteral("%11P1 N X %"));
    first.Record(QStringLiteral("line added: P1.CNC"));
    firstFile.Flush();

    ScanHistory second;
    ScanHistoryFile secondFile(second, path);
    secondFile.Load();
    const QList<ScanHistory::Entry>& written = first.Entries();
    const QList<ScanHistory::Entry>& read = second.Entries();
    if (read.isEmpty() || read.first().origin != ScanHistory::Origin::Restart)
        FuzzFailure("the entries written were not read back below a restart line");
    for (qsizetype i = 1; i < read.size(); ++i) {
        if (!same(read[i], written.value(i - 1)))
            FuzzFailure("an entry written did not read back as it was");
    }
    if (read.size() - 1 != qMin<qsizetype>(written.size(), ScanHistory::Capacity - 1))
        FuzzFailure("entries written were lost on the way back");
    return 0;
}
