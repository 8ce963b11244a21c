// QorLibraryStatics.h: the library's process-wide static objects, built at load in a fixed order
// (QorLibraryStatics.cpp) and torn down at unload by the library's exit list.
#pragma once

#include "QorCriticalRegion.h"

namespace qor {

// Serialises the error log's first opening.
CQorCriticalRegion &ErrorLogRegion();

} // namespace qor
