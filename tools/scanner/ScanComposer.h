#pragma once

#include <QByteArray>
#include <QString>

// The two-dimensional barcodes the virtual scanner can make from a text or a file: a program
// barcode (header, "!", program text) and a compressed payload of any scan.
class ScanComposer {
public:
    // header is the program name and optional tags, separated by "^" (P1^X100^Y50^Z20^UN). The
    // scan must hold a "^" to be taken for a program barcode, so a bare name gets one. Empty,
    // with error set, when the header holds a "!" (the text would start early). Anything else
    // goes, names Tarvex refuses included, so that its refusals can be tried.
    static QByteArray ProgramBarcode(const QByteArray& header, const QByteArray& text, QString& error);

    // The scan as a compressed payload (marker 241, five-digit length, zlib data with every
    // backslash doubled). Empty, with error set, above 99,999 characters.
    static QByteArray CompressedPayload(const QByteArray& scan, QString& error);
};
