#include "platform/PayloadCodec.h"

#include "platform/Files.h"
#include "platform/RuntimeError.h"

#include <limits>
#include <utility>

#include <zlib.h>

PayloadCodec::Result PayloadCodec::Inflate(const QByteArray& data, qsizetype expectedLength, QByteArray& out)
{
    out.clear();
    if (expectedLength < 0 || expectedLength >= std::numeric_limits<uInt>::max() ||
        data.size() >= std::numeric_limits<uInt>::max())
        return Result::TooLong;

    // One byte of room beyond the expected length tells a longer stream from an exact one.
    QByteArray buffer(expectedLength + 1, Qt::Uninitialized);
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK)
        return Result::Corrupt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.constData()));
    zs.avail_in = static_cast<uInt>(data.size());
    zs.next_out = reinterpret_cast<Bytef*>(buffer.data());
    zs.avail_out = static_cast<uInt>(buffer.size());

    Result result = Result::Ok;
    for (;;) {
        const int rc = inflate(&zs, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            result = Result::Ok;
            break;
        }
        if (rc == Z_OK && zs.avail_out > 0)
            continue;
        if (zs.avail_out == 0)
            result = Result::TooLong;
        else if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            result = Result::Truncated;
        else
            result = Result::Corrupt; // Z_DATA_ERROR, Z_NEED_DICT, Z_MEM_ERROR
        break;
    }
    const qsizetype produced = static_cast<qsizetype>(zs.total_out);
    inflateEnd(&zs);

    buffer.truncate(qMin(produced, expectedLength));
    out = std::move(buffer);
    if (result == Result::Ok && produced != expectedLength)
        result = produced < expectedLength ? Result::TooShort : Result::TooLong;
    return result;
}

PayloadCodec::Result PayloadCodec::InflateFile(const QString& inputPath, qint64 compressedLength,
                                               const QString& outputPath, qsizetype expectedLength, QByteArray& out,
                                               QString& error)
{
    out.clear();
    error.clear();
    QByteArray data;
    try {
        // Only the data's length is read: the file may keep the tail of a longer earlier one.
        data = Files::ReadStart(inputPath, compressedLength, Files::Links::Refuse);
    } catch (const RuntimeError& e) {
        error = e.Description();
        return Result::ReadFailed;
    }
    if (data.size() != compressedLength) {
        error = QStringLiteral("the file is shorter than the data");
        return Result::ReadFailed;
    }

    QByteArray expanded;
    const Result result = Inflate(data, expectedLength, expanded);

    try {
        Files::WriteOver(outputPath, expanded, Files::Tail::Cut);
    } catch (const RuntimeError& e) {
        error = e.Description();
        return Result::WriteFailed;
    }
    out = std::move(expanded);
    return result;
}

QByteArray PayloadCodec::Deflate(const QByteArray& data)
{
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(size), Qt::Uninitialized);
    const int rc = compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                             reinterpret_cast<const Bytef*>(data.constData()), static_cast<uLong>(data.size()),
                             Z_BEST_COMPRESSION);
    if (rc != Z_OK)
        return QByteArray();
    out.truncate(static_cast<qsizetype>(size));
    return out;
}

QString PayloadCodec::Describe(Result result)
{
    switch (result) {
    case Result::Ok:
        return QStringLiteral("expanded");
    case Result::Corrupt:
        return QStringLiteral("data is corrupt");
    case Result::Truncated:
        return QStringLiteral("data is truncated");
    case Result::TooShort:
        return QStringLiteral("data expands to fewer characters than announced");
    case Result::TooLong:
        return QStringLiteral("data expands to more characters than announced");
    case Result::ReadFailed:
        return QStringLiteral("work file could not be read");
    case Result::WriteFailed:
        return QStringLiteral("work file could not be written");
    }
    return QString();
}
