// The disk state of the status bar's DISK pane, from the free space of the
// thumbnail folder's and the temporary folder's volumes, and the spacing of
// the temporary-disk-full warnings.
#pragma once

#include <cstdint>

namespace shell {

inline constexpr double kDiskPlentyBytes = 209715200.0;  // 200 MiB
inline constexpr double kDiskLowBytes = 104857600.0;     // 100 MiB
// What a volume whose free space cannot be read counts as.
inline constexpr double kDiskUnknownBytes = kDiskLowBytes;

// Free bytes in double precision: no 32-bit product can overflow.
double FreeDiskBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters);

// 2 when both volumes have at least 200 MiB, 1 when both have at least
// 100 MiB, else 0.
int32_t DiskStateFor(double thumbnailBytes, double tempBytes);

// Milliseconds between two tick counts, across a wrap of the counter.
uint32_t TickDistance(uint32_t now, uint32_t then);

inline constexpr uint32_t kTempDiskWarningSpacingMs = 30000;

}  // namespace shell
