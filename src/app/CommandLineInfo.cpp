#include "app/CommandLineInfo.h"

#include "listmgr/EmbeddedListManager.h"
#include "platform/Log.h"
#include "platform/LogFile.h"
#include "platform/Paths.h"
#include "platform/Version.h"
#include "production/ProductionSettings.h"

#include <algorithm>

namespace {
enum class Ask { Nothing, Version, Help };

Ask askOf(const QString& argument)
{
    if (argument.compare(QLatin1String("--help"), Qt::CaseInsensitive) == 0 ||
        argument.compare(QLatin1String("-h"), Qt::CaseInsensitive) == 0)
        return Ask::Help;
    if (argument.compare(QLatin1String("--version"), Qt::CaseInsensitive) == 0)
        return Ask::Version;
    return Ask::Nothing;
}

Ask askOf(const QStringList& arguments)
{
    Ask ask = Ask::Nothing;
    for (qsizetype i = 1; i < arguments.size(); ++i)
        ask = std::max(ask, askOf(arguments[i]));
    return ask;
}
} // namespace

bool CommandLineInfo::Asked(int argc, const char* const argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return askOf(arguments) != Ask::Nothing;
}

QString CommandLineInfo::Text(const QStringList& arguments)
{
    switch (askOf(arguments)) {
    case Ask::Help:
        return HelpText();
    case Ask::Version:
        return VersionText();
    case Ask::Nothing:
        break;
    }
    return QString();
}

bool CommandLineInfo::NoWindow(const QStringList& arguments)
{
    return std::any_of(arguments.begin() + std::min<qsizetype>(1, arguments.size()), arguments.end(), [](const QString& a) {
        return a.compare(QLatin1String("--no-window"), Qt::CaseInsensitive) == 0;
    });
}

QString CommandLineInfo::VersionText()
{
    return QStringLiteral("tarvex %1\n"
                          "Copyright (C) 2026 Tarvex maintainers\n"
                          "License GPL-3.0-or-later: GNU GPL version 3 or later.\n"
                          "This is free software: you are free to change and redistribute it.\n"
                          "There is NO WARRANTY, to the extent permitted by law.\n")
        .arg(Version::Text());
}

QString CommandLineInfo::HelpText()
{
    return QStringLiteral(
               "Usage: tarvex [NOAPP] [UNATTENDED] [KEEPCSV] [--no-window]\n"
               "       tarvex --report DAY|FROM..TO [--station NAME]\n"
               "       tarvex --help | --version\n"
               "\n"
               "Tarvex reads labels and 2D barcodes from a scanner on a serial port and sends\n"
               "their programs to the work list of a CNC machine.\n"
               "\n"
               "Switches, found anywhere on the command line in any letter case:\n"
               "  NOAPP        run without the list manager\n"
               "  UNATTENDED   no operator: message boxes become log records answered by\n"
               "               their safe button; the serial settings do not open by themselves\n"
               "  KEEPCSV      keep companion CSV files after they were appended (also KEEP CSV)\n"
               "  --no-window  run with no window, as a service: no operator, as UNATTENDED\n"
               "  --report DAY, --report FROM..TO\n"
               "               print the production record of those days (2026-12-09, today,\n"
               "               yesterday; at most 366) as CSV and exit; --station NAME: one\n"
               "               station's only. Exit code 1: incomplete (reason on stderr)\n"
               "  --help, -h   print this help and exit\n"
               "  --version    print the version and exit\n"
               "\n"
               "Files:\n"
               "  configuration  %1/ZEM.INI, else %2/ZEM.INI\n"
               "  log            %3 (older ones: .1 to .%4)\n"
               "  journal        %5\n"
               "  work list      %6\n"
               "  production     %7\n"
               "\n"
               "The configuration keys and the files are described in tarvex(1).\n")
        .arg(Paths::ProgramFolder(), Paths::WindowsDirectory(), Log::FilePath(), QString::number(LogFile::DefaultKeep),
             EmbeddedListManager::JournalPath(), EmbeddedListManager::WorkListPath(), ProductionSettings::DefaultLocalPath());
}
