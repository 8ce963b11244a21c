// QorUtil.h: the whole interface of the QorUtil library.
#pragma once

#include "QorWinTypes.h"

#include "QorCriticalRegion.h"
#include "QorDBInfo.h"
#include "QorDll.h"
#include "QorError.h"
#include "QorFile2.h"
#include "QorFileLog.h"
#include "QorHashTable.h"
#include "QorRegistry.h"
#include "QorString.h"
#include "QorMd5.h"
#include "QorGeometry.h"
#include "QorStackDump.h"
#include "QorSpyHelper.h"
