#include "scanner/ScanComposer.h"

#include "program/PayloadExpander.h"

QByteArray ScanComposer::ProgramBarcode(const QByteArray& header, const QByteArray& text, QString& error)
{
    if (header.contains('!')) {
        error = QStringLiteral("the program header must not hold \"!\": it separates the header from the text");
        return QByteArray();
    }
    const QByteArray tags = header.contains('^') ? header : header + '^';
    return tags + '!' + text;
}

QByteArray ScanComposer::CompressedPayload(const QByteArray& scan, QString& error)
{
    if (scan.isEmpty()) {
        error = QStringLiteral("nothing to compress");
        return QByteArray();
    }
    const QByteArray payload = PayloadExpander::MakeScan(scan);
    if (payload.isEmpty())
        error = QStringLiteral("%1 characters are more than a compressed payload can announce (%2)")
                    .arg(scan.size())
                    .arg(PayloadExpander::MaxLength);
    return payload;
}
