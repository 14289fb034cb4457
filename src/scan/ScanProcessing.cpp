#include "scan/ScanProcessing.h"

#include "platform/Log.h"

ScanProcessing::ScanProcessing(Services s)
    : rules_(s.config), selection_(rules_, fields_), line_(s.codes, s.link, s.view), mirror_(rules_, fields_),
      csv_(s.config, s.run, s.view), header_(s.boxes), expander_(s.view),
      routines_({s.config, s.run, s.view, s.pauser, s.link, selection_, line_, header_, s.port}, fields_),
      lists_(s.config, s.link, s.view, s.boxes, routines_),
      dispatcher_({s.config, s.run, s.view, routines_, s.codes, selection_, rules_, csv_, header_, lists_, mirror_, {}},
                  fields_)
{
}

bool ScanProcessing::DispatchLabel(QString label)
{
    return dispatcher_.DispatchLabel(std::move(label));
}

void ScanProcessing::HandleProgramScan(QString& scan)
{
    Log::Warning(QStringLiteral("program barcode handler not available: %1 characters dropped").arg(scan.size()));
}

QString ScanProcessing::ExpandPayload(QString& scan)
{
    return expander_.ExpandPayload(scan);
}
