// QorDllMain.cpp: the entry point of QorUtil.dll. The library's static objects are built and torn
// down by the runtime around it (see QorLibraryStatics.cpp); the entry point itself has nothing to do
// and reports success for every reason: process and thread attach and detach alike.
#include "QorWinTypes.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
