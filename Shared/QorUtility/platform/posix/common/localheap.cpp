// localheap.cpp: LocalAlloc and LocalFree, the heap that FormatMessageA's allocated buffers come from.
// Only fixed memory exists here (a pointer is its own handle), so LMEM_MOVEABLE and the other
// movable-memory flags are refused.
#include "QorPlatform.h"

#include <cstdlib>

using qor::platform::FaultFires;

HLOCAL WINAPI LocalAlloc(UINT uFlags, SIZE_T uBytes)
{
    if (FaultFires("LocalAlloc"))
        return nullptr;
    if ((uFlags & ~static_cast<UINT>(LMEM_FIXED | LMEM_ZEROINIT)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    size_t bytes = uBytes > 0 ? uBytes : 1; // a zero-byte block is still a distinct, freeable block
    void *block = (uFlags & LMEM_ZEROINIT) != 0 ? std::calloc(1, bytes) : std::malloc(bytes);
    if (block == nullptr)
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return block;
}

HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    std::free(hMem);
    return nullptr;
}
