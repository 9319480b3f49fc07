#pragma once

#include <cstddef>
#include <cstdint>

#include "QRV/QRV3.h"

namespace qrv {

// A zeroed buffer of alignment 1.
CountedBuffer MakeCountedBuffer(uint32_t alignment = 1);

// Sets the length to n elements of elementBytes each. The block is kept when
// it exists, capacity - 100 < n <= capacity and the alignment is unchanged;
// otherwise it is replaced by one of capacity 100 (n <= 50) or n + 50. The
// contents of a replaced block are not kept. Returns 0, or 2 with length and
// capacity 0 when the block cannot be allocated.
int CbSetLength(CountedBuffer& buffer, uint64_t n, size_t elementBytes, uint32_t alignment);

// Drops every lock and frees the block.
void CbFree(CountedBuffer& buffer);

// The first element: data rounded up to the alignment; null without a block.
void* CbElements(const CountedBuffer& buffer);

template <class T>
T* CbAs(const CountedBuffer& buffer)
{
    return static_cast<T*>(CbElements(buffer));
}

// Holds the elements while a caller reads them.
void* CbLock(CountedBuffer& buffer);
int32_t CbUnlock(CountedBuffer& buffer);

bool CbHasData(const CountedBuffer& buffer);

// Test seam: when set, the countdown reaches 0 on an allocation that then
// fails (-1 = never).
extern int64_t gFailAllocationCountdown;

}  // namespace qrv
