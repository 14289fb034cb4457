#include "scan/ScanProcessing.h"

ScanProcessing::ScanProcessing(Services s)
    : rules_(s.config), selection_(rules_, fields_), line_(s.codes, s.link, s.view), mirror_(rules_, fields_),
      csv_(s.config, s.run, s.view), header_(s.boxes), expander_(s.view),
      routines_({s.config, s.run, s.view, s.pauser, s.link, selection_, line_, header_, mirror_, s.port}, fields_),
      lists_(s.config, s.link, s.boxes, routines_), editor_(s.config, fields_, processes_),
      dispatcher_({s.config, s.run, s.view, routines_, s.codes, selection_, rules_, csv_, header_, lists_,
                   [this] { editor_.LaunchEditor(); }},
                  fields_),
      programs_({s.config, s.run, s.view, routines_, s.link, lists_, [this] { editor_.LaunchEditor(); }}, fields_)
{
}

bool ScanProcessing::DispatchLabel(QString label)
{
    return dispatcher_.DispatchLabel(std::move(label));
}

void ScanProcessing::HandleProgramScan(QString& scan)
{
    programs_.HandleProgramScan(scan);
}

QString ScanProcessing::ExpandPayload(QString& scan)
{
    return expander_.ExpandPayload(scan);
}
