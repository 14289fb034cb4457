// tarvex-scanner: a virtual barcode scanner for Tarvex.
//
// Opens a pseudo-terminal pair and prints the device path of its slave side on the first line of
// standard output; point a port at it with [Ports] COMn=<path> in ZEM.INI (or use --link to have a
// fixed path). Then each line of standard input (or of --file) is sent as one scan: the line's
// bytes without the line end, escapes \\ \r \n \xHH decoded. Between scans the line stays silent
// for --gap milliseconds: Tarvex ends a scan after two silent ticks of its poll timer, which takes
// up to three tick intervals, so the default of 3500 ms suits the default 1000 ms ticks (with
// CommPollTime=100, --gap 400 is enough). Whatever Tarvex sends back ("ACK" and a carriage
// return) is printed, one reply a line, with the same escapes. At the end of the input the
// replies are still read for --linger milliseconds, then the program ends.
//
// Two-dimensional barcodes come from the command line: --send-text and --send-file give one scan
// each, sent before any input line and in the order given; a --program HEADER or --compress
// before one of them makes that scan a program barcode, or a compressed payload (or both).
// Standard input is then not read, unless --file gives the lines to send after them.

#include "scanner/ScanComposer.h"
#include "scanner/ScanEscapes.h"
#include "scanner/VirtualScanner.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QList>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace {
QByteArray linkToRemove;

void removeLinkAndExit(int)
{
    if (!linkToRemove.isEmpty())
        ::unlink(linkToRemove.constData());
    ::_exit(0);
}

int intOption(const QCommandLineParser& parser, const QString& name, int fallback)
{
    bool ok = false;
    const int value = parser.value(name).toInt(&ok);
    if (!ok || value < 0) {
        std::fprintf(stderr, "tarvex-scanner: --%s wants a number of 0 or more\n", qPrintable(name));
        std::exit(2);
    }
    return parser.isSet(name) ? value : fallback;
}

[[noreturn]] void fail(const QString& text)
{
    std::fprintf(stderr, "tarvex-scanner: %s\n", qPrintable(text));
    std::exit(2);
}

// The scans of --send-text and --send-file, made into program barcodes or compressed payloads
// by the --program and --compress that stand before them.
QList<QByteArray> commandLineScans(const QCommandLineParser& parser)
{
    QList<QByteArray> scans;
    QHash<QString, int> taken; // how many values of each option were used so far
    const auto next = [&](const QString& name) { return parser.values(name).value(taken[name]++); };
    QByteArray header;
    bool asProgram = false;
    bool compress = false;
    for (const QString& name : parser.optionNames()) {
        QByteArray content;
        if (name == QLatin1String("program")) {
            header = next(name).toLocal8Bit();
            asProgram = true;
            continue;
        } else if (name == QLatin1String("compress")) {
            compress = true;
            continue;
        } else if (name == QLatin1String("send-text")) {
            content = ScanEscapes::Decode(next(name).toLocal8Bit());
        } else if (name == QLatin1String("send-file")) {
            QFile file(next(name));
            if (!file.open(QIODevice::ReadOnly))
                fail(QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
            content = file.readAll();
        } else {
            continue;
        }
        QString error;
        if (asProgram && (content = ScanComposer::ProgramBarcode(header, content, error)).isEmpty())
            fail(QStringLiteral("--program %1: %2").arg(QString::fromLocal8Bit(header), error));
        if (compress && (content = ScanComposer::CompressedPayload(content, error)).isEmpty())
            fail(QStringLiteral("--compress: %1").arg(error));
        if (content.isEmpty())
            fail(QStringLiteral("--%1: an empty scan cannot be sent").arg(name));
        scans.append(content);
        asProgram = false;
        compress = false;
    }
    if (asProgram || compress)
        fail(QStringLiteral("--program and --compress apply to a --send-text or --send-file that follows them"));
    return scans;
}
} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvex-scanner"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Virtual barcode scanner on a pseudo-terminal. Prints the device path, then sends each input line as one scan "
        "(escapes \\\\ \\r \\n \\xHH) and prints the replies. Program barcodes and compressed payloads are "
        "made from a text or a file with the options below."));
    parser.addHelpOption();
    parser.addOption({QStringLiteral("link"), QStringLiteral("Also make a symbolic link PATH to the device."), QStringLiteral("PATH")});
    parser.addOption({QStringLiteral("file"), QStringLiteral("Send the lines of file F instead of standard input."), QStringLiteral("F")});
    parser.addOption({QStringLiteral("pace"), QStringLiteral("Send N characters a second (0: each scan at once)."), QStringLiteral("N"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("gap"), QStringLiteral("Silence after each scan, in ms (default 3500)."), QStringLiteral("MS"), QStringLiteral("3500")});
    parser.addOption({QStringLiteral("wait"), QStringLiteral("Silence before the first scan, in ms (default 0)."), QStringLiteral("MS"), QStringLiteral("0")});
    parser.addOption({QStringLiteral("linger"), QStringLiteral("Keep reading replies this long after the last scan, in ms (default 2000)."),
                      QStringLiteral("MS"), QStringLiteral("2000")});
    parser.addOption({QStringLiteral("send-text"),
                      QStringLiteral("Send TEXT (escapes decoded) as one scan, before any input line. Repeatable."),
                      QStringLiteral("TEXT")});
    parser.addOption({QStringLiteral("send-file"),
                      QStringLiteral("Send the bytes of file F, line ends included, as one scan. Repeatable."), QStringLiteral("F")});
    parser.addOption({QStringLiteral("program"),
                      QStringLiteral("Send the next --send-text or --send-file as a program barcode: HEADER (the program "
                                     "name, then tags separated by ^, e.g. P1^X100^Y50^Z20^UN), \"!\" and the text."),
                      QStringLiteral("HEADER")});
    parser.addOption({QStringLiteral("compress"),
                      QStringLiteral("Send the next --send-text or --send-file as a compressed payload (a program barcode "
                                     "when --program is given as well).")});
    parser.process(app);
    const QList<QByteArray> scans = commandLineScans(parser);

    VirtualScanner::Options options;
    options.link = parser.value(QStringLiteral("link"));
    options.pace = intOption(parser, QStringLiteral("pace"), 0);
    options.gapMs = intOption(parser, QStringLiteral("gap"), 3500);
    options.waitMs = intOption(parser, QStringLiteral("wait"), 0);
    options.lingerMs = intOption(parser, QStringLiteral("linger"), 2000);

    VirtualScanner scanner(options);
    if (!scanner.Open())
        return 1;
    linkToRemove = QFile::encodeName(options.link);
    std::signal(SIGINT, removeLinkAndExit);
    std::signal(SIGTERM, removeLinkAndExit);
    std::signal(SIGHUP, removeLinkAndExit);
    std::printf("%s\n", qPrintable(scanner.Device()));
    std::fflush(stdout);
    for (const QByteArray& scan : scans)
        scanner.AddScan(scan);

    if (parser.isSet(QStringLiteral("file"))) {
        QFile file(parser.value(QStringLiteral("file")));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "tarvex-scanner: cannot read %s: %s\n", qPrintable(file.fileName()), qPrintable(file.errorString()));
            return 1;
        }
        while (!file.atEnd())
            scanner.AddLine(file.readLine());
        scanner.EndOfInput();
        return QCoreApplication::exec();
    }
    if (!scans.isEmpty()) {
        scanner.EndOfInput();
        return QCoreApplication::exec();
    }

    // Standard input is read as it comes, so that an operator can type scans one by one.
    QByteArray pending;
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &scanner, [&] {
        char buffer[4096];
        const ssize_t n = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            if (!pending.isEmpty())
                scanner.AddLine(pending);
            scanner.EndOfInput();
            return;
        }
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            scanner.AddLine(pending.left(end + 1));
            pending.remove(0, end + 1);
        }
    });
    return QCoreApplication::exec();
}
