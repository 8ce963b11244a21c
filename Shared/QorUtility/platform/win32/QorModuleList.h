// QorModuleList.h: the modules of the current process for the stack dump on Windows: the tool help
// snapshot first, the process status interface when that finds none. Both are loaded by name at run
// time, so a system without either only loses the module list.
#pragma once

#include "QorStackEngine.h"

namespace qor::platform {

// Every module of the process: image path, module name, base and size. The process status step adds
// its failure lines to `report` when `verbose`.
std::vector<StackModule> ListProcessModules(std::string &report, bool verbose);

} // namespace qor::platform
