// ExpandPayload on anything a scanner could send. The first byte picks the input's shape:
// 0 the marker followed by the bytes, 1 the bytes as they are, 2 a well-formed scan of the
// bytes as text, which must expand back to exactly that text.
#include "FuzzEnvironment.h"
#include "program/PayloadExpander.h"
#include "station/StationState.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    FuzzEnvironment::Get().ResetLog();
    const QByteArray bytes(reinterpret_cast<const char*>(data) + 1, static_cast<qsizetype>(size - 1));
    StationState state;
    PayloadExpander expander(state);

    QString scan;
    switch (data[0] % 3) {
    case 0:
        scan = QChar(PayloadExpander::Marker) + QString::fromLatin1(bytes);
        break;
    case 1:
        scan = QString::fromLatin1(bytes);
        break;
    default: {
        if (bytes.isEmpty())
            return 0;
        QString made = QString::fromLatin1(PayloadExpander::MakeScan(bytes));
        if (expander.ExpandPayload(made) != QString::fromLatin1(bytes))
            FuzzFailure("a well-formed scan did not expand to its text");
        return 0;
    }
    }

    const QString out = expander.ExpandPayload(scan);
    if (out.size() > PayloadExpander::MaxLength)
        FuzzFailure("expanded beyond the largest length the field can announce");
    if (out.isEmpty() && !state.Status().startsWith(QStringLiteral("Compressed barcode dropped: ")))
        FuzzFailure("a dropped payload was not reported on the status line");
    return 0;
}
