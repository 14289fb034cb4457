#include "program/PayloadExpander.h"

#include "config/TextNumber.h"
#include "platform/Files.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/PayloadCodec.h"
#include "platform/RuntimeError.h"
#include "station/StationState.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>
#include <cstring>

PayloadExpander::PayloadExpander(StationState& state) : state_(state) {}

QString PayloadExpander::ExpandPayload(QString& scan)
{
    dropReason_.clear();
    const QString lengthField = scan.mid(3, 5);
    // Rounded to the nearest, ties to even, as an integer assignment of the original rounds.
    const double lengthValue = std::nearbyint(TextNumber::Value(lengthField));

    const QByteArray data = UndoBackslashDoubling(QStringView(scan).mid(11).toLatin1());
    scan = QString::fromLatin1(data);

    if (lengthValue < 1 || lengthValue > MaxLength) {
        Drop(QStringLiteral("no valid expanded length"),
             QStringLiteral("expanded length field \"%1\" is not a number from 1 to %2")
                 .arg(Log::Printable(lengthField))
                 .arg(MaxLength));
        return QString();
    }
    const int length = static_cast<int>(lengthValue);

    QByteArray expanded;
    if (length > MemoryLimit) {
        if (!ExpandThroughFiles(data, length, expanded))
            return QString();
    } else {
        const PayloadCodec::Result result = PayloadCodec::Inflate(data, length, expanded);
        if (result != PayloadCodec::Result::Ok) {
            Drop(PayloadCodec::Describe(result),
                 QStringLiteral("%1 compressed bytes, %2 characters announced, %3 expanded in memory")
                     .arg(data.size())
                     .arg(length)
                     .arg(expanded.size()));
            return QString();
        }
    }
    return QString::fromLatin1(expanded);
}

bool PayloadExpander::ExpandThroughFiles(const QByteArray& data, int length, QByteArray& out)
{
    const QString compressedPath = Paths::ToNative(CompressedWorkFile);
    const QString expandedPath = Paths::ToNative(ExpandedWorkFile);
    const QString folder = QFileInfo(compressedPath).absolutePath();
    if (!QDir().mkpath(folder)) {
        Drop(QStringLiteral("cannot create the work folder"), QStringLiteral("cannot create %1").arg(folder));
        return false;
    }

    // Written over the start of the file: a longer earlier file keeps its tail, and only the
    // data's length is read back.
    try {
        Files::WriteOver(compressedPath, data, Files::Tail::Keep);
    } catch (const RuntimeError& e) {
        Drop(QStringLiteral("cannot write ") + CompressedWorkFile, e.Description());
        return false;
    }

    QString error;
    // What the codec wrote to the file is also what it hands back; the file is not read again.
    const PayloadCodec::Result result =
        PayloadCodec::InflateFile(compressedPath, data.size(), expandedPath, length, out, error);
    if (result == PayloadCodec::Result::ReadFailed || result == PayloadCodec::Result::WriteFailed) {
        const QString& which = result == PayloadCodec::Result::ReadFailed ? CompressedWorkFile : ExpandedWorkFile;
        Drop(PayloadCodec::Describe(result) + QStringLiteral(": ") + which, error);
        return false;
    }
    if (result != PayloadCodec::Result::Ok) {
        Drop(PayloadCodec::Describe(result),
             QStringLiteral("%1 compressed bytes, %2 characters announced, expanded through %3")
                 .arg(data.size())
                 .arg(length)
                 .arg(ExpandedWorkFile));
        return false;
    }
    return true;
}

void PayloadExpander::Drop(const QString& reason, const QString& details)
{
    dropReason_ = reason;
    state_.SetStatus(QStringLiteral("Compressed barcode dropped: ") + reason + QLatin1Char('.'));
    Log::Error(QStringLiteral("Compressed payload dropped: %1 (%2)").arg(reason, details));
}

QByteArray PayloadExpander::MakeScan(const QByteArray& text)
{
    if (text.size() > MaxLength)
        return QByteArray();
    const QByteArray compressed = PayloadCodec::Deflate(text);
    QByteArray scan;
    scan.reserve(11 + compressed.size() * 2);
    scan.append(static_cast<char>(Marker));
    scan.append("00");
    scan.append(QByteArray::number(text.size()).rightJustified(5, '0'));
    scan.append("000");
    for (const char c : compressed) {
        scan.append(c);
        if (c == '\\')
            scan.append('\\');
    }
    return scan;
}

QByteArray PayloadExpander::UndoBackslashDoubling(const QByteArray& data)
{
    // A short payload often holds no backslash at all; it is kept as it is, without a copy.
    if (!data.contains('\\'))
        return data;
    QByteArray kept(data.size(), Qt::Uninitialized);
    char* out = kept.data();
    const char* p = data.constData();
    const char* const end = p + data.size();
    while (p != end) {
        const char* run = static_cast<const char*>(std::memchr(p, '\\', static_cast<size_t>(end - p)));
        if (!run)
            run = end;
        std::memcpy(out, p, static_cast<size_t>(run - p));
        out += run - p;
        p = run;
        while (p != end && *p == '\\')
            ++p;
        // Of a run of backslashes the first, third, fifth... are kept.
        const qsizetype keep = (p - run + 1) / 2;
        std::memset(out, '\\', static_cast<size_t>(keep));
        out += keep;
    }
    kept.truncate(out - kept.constData());
    return kept;
}
