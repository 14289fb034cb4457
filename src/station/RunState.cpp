#include "station/RunState.h"

QString RunState::CommandLineOf(const QStringList& arguments)
{
    return arguments.mid(1).join(QLatin1Char(' ')).toUpper();
}
