// powerloss.h: the file calls' side of the simulated power loss (a test aid, QorPowerLossStart): each
// call that changes files asks first whether the power stays on. Internal to the POSIX platform layer.
#pragma once

#include <cstddef>

namespace qor::platform {

enum class FileChange { OpenOrDelete, Write, SetEnd, Flush };

// True when the call may go on. With the simulation on, a write or a new end of the file behind `fd`
// is remembered until its flush; the call the test chose instead cuts the power: the remembered
// changes are undone or torn, and this and every later call fails with ERROR_NOT_READY. Costs one
// atomic load while the simulation is off.
bool PowerStaysOn(FileChange change, int fd = -1, const void *data = nullptr, size_t count = 0);

} // namespace qor::platform
