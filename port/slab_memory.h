// Large blocks of memory taken straight from the system for pools that keep
// them a long time (the tile manager's slabs). A block comes zeroed; on Linux
// it is aligned to 2 MB and asks for transparent huge pages, so that first
// touching it costs one fault per 2 MB rather than one per 4 KB; on Windows it
// is reserved and committed in one VirtualAlloc.
// Header-only, as port.h.
#pragma once

#include <cstddef>
#include <cstdint>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace port {

// The size and alignment of a huge page where the system has them.
constexpr size_t kSlabHugePage = size_t{2} << 20;

// Under AddressSanitizer, pools keep this many poisoned bytes after each piece
// of a block, so that an overrun of one piece is still reported.
#if defined(__SANITIZE_ADDRESS__)
constexpr size_t kSlabRedZone = 64;
#else
constexpr size_t kSlabRedZone = 0;
#endif

// Marks bytes of a block that nobody may touch now (a piece sitting free, a
// red zone), and gives them back; both do nothing without AddressSanitizer.
inline void SlabPoison(void* at, size_t bytes)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_POISON_MEMORY_REGION(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

inline void SlabUnpoison(void* at, size_t bytes)
{
#if defined(__SANITIZE_ADDRESS__)
    ASAN_UNPOISON_MEMORY_REGION(at, bytes);
#else
    (void)at;
    (void)bytes;
#endif
}

// The unit in which a block's memory is given back and taken again.
inline size_t SlabPageSize()
{
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    return info.dwPageSize;
#else
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
}

// A zeroed block of `bytes`, or null when the system has none; freed with
// SlabFree(block, bytes) and the same byte count.
inline void* SlabAlloc(size_t bytes)
{
    if (bytes == 0)
        return nullptr;
#if defined(_WIN32)
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
    if (bytes < kSlabHugePage) {
        void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        return block == MAP_FAILED ? nullptr : block;
    }
    // Huge pages cover only 2 MB-aligned ranges: map one huge page more and
    // cut the ends away.
    if (bytes > SIZE_MAX - kSlabHugePage)
        return nullptr;
    const size_t span = bytes + kSlabHugePage;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        return nullptr;
    const uintptr_t start = reinterpret_cast<uintptr_t>(mapped);
    const uintptr_t aligned = (start + kSlabHugePage - 1) & ~(uintptr_t{kSlabHugePage} - 1);
    const size_t page = SlabPageSize();
    const uintptr_t end = (aligned + bytes + page - 1) & ~(uintptr_t{page} - 1);
    if (aligned > start)
        munmap(mapped, aligned - start);
    if (start + span > end)
        munmap(reinterpret_cast<void*>(end), start + span - end);
#if defined(MADV_HUGEPAGE)
    // Only a wish: without huge pages the block works the same.
    madvise(reinterpret_cast<void*>(aligned), end - aligned, MADV_HUGEPAGE);
#endif
    return reinterpret_cast<void*>(aligned);
#endif
}

// Gives the memory of whole pages of a block back to the system while the
// block stays reserved; SlabCommit makes them usable again, as zeros. Both
// take page-aligned ranges; SlabDecommit is false when the pages were kept
// (and keep their bytes), SlabCommit when the system has no memory.
inline bool SlabDecommit(void* at, size_t bytes)
{
#if defined(_WIN32)
    return VirtualFree(at, bytes, MEM_DECOMMIT) != 0;
#else
    return madvise(at, bytes, MADV_DONTNEED) == 0;
#endif
}

inline bool SlabCommit(void* at, size_t bytes)
{
#if defined(_WIN32)
    return VirtualAlloc(at, bytes, MEM_COMMIT, PAGE_READWRITE) != nullptr;
#else
    // A private anonymous page given back reads as zeros at its next touch.
    (void)at;
    (void)bytes;
    return true;
#endif
}

inline void SlabFree(void* block, size_t bytes)
{
    if (!block)
        return;
    // The shadow of poisoned bytes would outlive the mapping and trip the next one there.
    SlabUnpoison(block, bytes);
#if defined(_WIN32)
    (void)bytes;
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, bytes);
#endif
}

} // namespace port
