#include "program/PayloadExpander.h"

#include "config/MainView.h"
#include "config/TextNumber.h"
#include "platform/Log.h"
#include "platform/Paths.h"
#include "platform/PayloadCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cmath>

PayloadExpander::PayloadExpander(MainView& view) : view_(view) {}

QString PayloadExpander::ExpandPayload(QString& scan)
{
    const QString lengthField = scan.mid(3, 5);
    // Rounded to the nearest, ties to even, as an integer assignment of the original rounds.
    const double lengthValue = std::nearbyint(TextNumber::Value(lengthField));

    const QByteArray data = UndoBackslashDoubling(scan.mid(11).toLatin1());
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
    QFile compressed(compressedPath);
    if (!compressed.open(QIODevice::ReadWrite) || compressed.write(data) != data.size() || !compressed.flush()) {
        Drop(QStringLiteral("cannot write ") + CompressedWorkFile,
             QStringLiteral("%1: %2").arg(compressedPath, compressed.errorString()));
        return false;
    }
    compressed.close();

    QString error;
    const PayloadCodec::Result result = PayloadCodec::InflateFile(compressedPath, data.size(), expandedPath, length, error);
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

    QFile expanded(expandedPath);
    if (!expanded.open(QIODevice::ReadOnly)) {
        Drop(QStringLiteral("cannot read ") + ExpandedWorkFile,
             QStringLiteral("%1: %2").arg(expandedPath, expanded.errorString()));
        return false;
    }
    // The codec wrote exactly the announced length; reading no more keeps the output bounded.
    out = expanded.read(length);
    if (out.size() != length) {
        Drop(QStringLiteral("cannot read ") + ExpandedWorkFile,
             QStringLiteral("%1: %2 of %3 characters read (%4)")
                 .arg(expandedPath)
                 .arg(out.size())
                 .arg(length)
                 .arg(expanded.errorString()));
        out.clear();
        return false;
    }
    return true;
}

void PayloadExpander::Drop(const QString& reason, const QString& details)
{
    view_.SetStatus(QStringLiteral("Compressed barcode dropped: ") + reason + QLatin1Char('.'));
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
    int run = 0;
    for (const char c : data) {
        if (c == '\\')
            run = run >= 2 ? 1 : run + 1;
        else
            run = 0;
        if (run < 2)
            *out++ = c;
    }
    kept.truncate(out - kept.constData());
    return kept;
}
