#include "platform/ImmediateExit.h"

#include <cstdio>
#include <cstdlib>

void ImmediateExit::EndProcess(int code)
{
    std::fflush(nullptr);
    std::_Exit(code);
}
