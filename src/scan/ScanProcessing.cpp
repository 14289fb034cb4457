#include "scan/ScanProcessing.h"

ScanProcessing::ScanProcessing(Services s)
    : rules_(s.config), selection_(rules_), line_(s.codes, s.link, s.state), mirror_(rules_),
      csv_(s.config, s.run, s.state), header_(s.boxes), expander_(s.state), status_(s.state, s.pauser, history_),
      editor_(s.config, processes_),
      routines_({s.config, s.run, s.state, status_, s.link, selection_, line_, header_, mirror_, editor_, s.port}),
      lists_(s.config, s.link, s.boxes, status_),
      dispatcher_({s.config, s.run, s.state, status_, routines_, s.codes, selection_, rules_, csv_, header_, lists_}, fields_),
      programs_({s.config, s.run, s.state, status_, routines_, s.link, lists_}, fields_)
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
