// heap.cpp: the Windows runtime's _expand: resize a heap block without moving it. The C library's
// allocator cannot grow or shrink a block in place, but a block may hold more than was asked for; any
// size within that room is granted by keeping the block, anything beyond it fails.
#include "QorPlatform.h"

#include <cerrno>
#include <malloc.h>

void *_expand(void *memblock, size_t size)
{
    if (memblock == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    if (size > malloc_usable_size(memblock)) {
        errno = ENOMEM;
        return nullptr;
    }
    return memblock;
}
