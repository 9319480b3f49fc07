// Free bytes of the volume that holds a folder, for the disk status dialog.
#pragma once

namespace shell {

// Counted in 64 bits through GetDiskFreeSpaceExA where the system has it
// (looked up at run time); otherwise sectors x bytes x free clusters of
// GetDiskFreeSpaceA, multiplied in floating point. False when the volume
// cannot be asked.
bool GetFreeDiskBytes(const char* folder, double* bytes);

}  // namespace shell
