// QorUtil.h: the whole interface of the QorUtil library.
#pragma once

#include "QorWinTypes.h"

#include "QorCriticalRegion.h"
#include "QorDll.h"
#include "QorError.h"
#include "QorHashTable.h"
#include "QorString.h"
