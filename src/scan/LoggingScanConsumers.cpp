#include "scan/LoggingScanConsumers.h"

#include "platform/Log.h"

LoggingScanConsumers::LoggingScanConsumers(MainView& view) : expander_(view)
{
}

bool LoggingScanConsumers::DispatchLabel(QString label)
{
    Log::Info(QStringLiteral("label dispatcher not available: label \"%1\" taken as accepted").arg(Log::Printable(label)));
    return true;
}

void LoggingScanConsumers::HandleProgramScan(QString& scan)
{
    Log::Warning(QStringLiteral("program barcode handler not available: %1 characters dropped").arg(scan.size()));
}

QString LoggingScanConsumers::ExpandPayload(QString& scan)
{
    return expander_.ExpandPayload(scan);
}
