// systemmessages.h: the system message table behind FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM):
// the English Windows texts of the system errors and result codes that the library and its callers meet.
#pragma once

#include "QorPlatform.h"

namespace qor::platform {

// The text of message `id` exactly as the English Windows message table holds it (line end included),
// or null when the table has no such message.
const char *SystemMessageText(DWORD id);

} // namespace qor::platform
