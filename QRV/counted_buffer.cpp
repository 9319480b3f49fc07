#include "QRV/counted_buffer.h"

#include <cstdlib>

namespace qrv {

int64_t gFailAllocationCountdown = -1;

CountedBuffer MakeCountedBuffer(uint32_t alignment)
{
    CountedBuffer b{};
    b.alignment = alignment;
    return b;
}

static void* AllocateZeroed(uint64_t bytes)
{
    if (gFailAllocationCountdown >= 0 && gFailAllocationCountdown-- == 0)
        return nullptr;
    if (bytes > SIZE_MAX / 2)
        return nullptr;
    return std::calloc(static_cast<size_t>(bytes), 1);
}

int CbSetLength(CountedBuffer& buffer, uint64_t n, size_t elementBytes, uint32_t alignment)
{
    if (alignment == 0)
        alignment = 1;
    if (buffer.data && static_cast<int64_t>(buffer.capacity) - 100 < static_cast<int64_t>(n) &&
        n <= buffer.capacity && buffer.alignment == alignment) {
        buffer.length = static_cast<uint32_t>(n);
        return 0;
    }
    int32_t locks = buffer.lockCount;
    std::free(buffer.data);
    buffer.data = nullptr;
    buffer.length = 0;
    buffer.capacity = 0;
    buffer.alignment = alignment;
    uint64_t capacity = n <= 50 ? 100 : n + 50;
    // Lengths are 32-bit; anything near that is beyond what the engine needs.
    if (capacity > UINT32_MAX)
        return 2;
    void* block = AllocateZeroed(capacity * elementBytes + (alignment - 1));
    if (!block)
        return 2;
    buffer.data = block;
    buffer.capacity = static_cast<uint32_t>(capacity);
    buffer.length = static_cast<uint32_t>(n);
    buffer.lockCount = locks;
    return 0;
}

void CbFree(CountedBuffer& buffer)
{
    buffer.lockCount = 0;
    std::free(buffer.data);
    buffer.data = nullptr;
    buffer.length = 0;
    buffer.capacity = 0;
}

void* CbElements(const CountedBuffer& buffer)
{
    if (!buffer.data)
        return nullptr;
    uintptr_t a = buffer.alignment ? buffer.alignment : 1;
    uintptr_t p = reinterpret_cast<uintptr_t>(buffer.data);
    return reinterpret_cast<void*>((p + a - 1) / a * a);
}

void* CbLock(CountedBuffer& buffer)
{
    ++buffer.lockCount;
    return CbElements(buffer);
}

int32_t CbUnlock(CountedBuffer& buffer)
{
    if (buffer.lockCount > 0)
        --buffer.lockCount;
    return buffer.lockCount;
}

bool CbHasData(const CountedBuffer& buffer)
{
    return buffer.data != nullptr && buffer.length > 0;
}

}  // namespace qrv
