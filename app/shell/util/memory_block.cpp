#include "app/shell/util/memory_block.h"

#include <cstdlib>
#include <cstring>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#endif

namespace shell {

void ZeroMemoryBlock(void* block, uint32_t size)
{
    if (block && size)
        std::memset(block, 0, size);
}

void* AllocGlobalMemory(uint32_t size)
{
#if defined(_WIN32)
    // A fixed block's handle is its address; the lock only counts.
    const HGLOBAL handle = GlobalAlloc(GMEM_FIXED, size);
    return handle ? GlobalLock(handle) : nullptr;
#else
    return std::malloc(size ? size : 1);
#endif
}

int32_t FreeGlobalMemory(void* block)
{
    if (!block)
        return 1;
#if defined(_WIN32)
    const HGLOBAL handle = GlobalHandle(block);
    if (handle) {
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
#else
    std::free(block);
#endif
    return 1;
}

int32_t CopyMemoryBlock(void* destination, const void* source, uint32_t size)
{
    if (destination && source && size)
        std::memmove(destination, source, size);
    return 1;
}

void CopySizedValue(void* destination, const void* source, int32_t size)
{
    if (!destination || !source)
        return;
    if (size == 1 || size == 2 || size == 4 || size == 8)
        std::memcpy(destination, source, static_cast<size_t>(size));
}

void CopySizedValueEntry(void* destination, const void* source, int32_t size)
{
    CopySizedValue(destination, source, size);
}

}  // namespace shell
