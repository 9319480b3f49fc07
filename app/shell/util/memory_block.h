// Small memory helpers: the camera image objects allocate through the global
// memory pair; the settings objects' value setters copy through CopySizedValue.
#pragma once

#include <cstdint>

namespace shell {

void ZeroMemoryBlock(void* block, uint32_t size);
// A fixed block, returned locked; null when there is no memory.
void* AllocGlobalMemory(uint32_t size);
// Unlocks and frees a block of AllocGlobalMemory (null: nothing); returns 1.
int32_t FreeGlobalMemory(void* block);
// Overlapping blocks are copied as if through a buffer; returns 1.
int32_t CopyMemoryBlock(void* destination, const void* source, uint32_t size);

// Copies a value of 1, 2, 4 or 8 bytes; any other size copies nothing.
void CopySizedValue(void* destination, const void* source, int32_t size);
void CopySizedValueEntry(void* destination, const void* source, int32_t size);

}  // namespace shell
