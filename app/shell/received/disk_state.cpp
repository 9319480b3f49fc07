#include "app/shell/received/disk_state.h"

namespace shell {

double FreeDiskBytes(uint32_t sectorsPerCluster, uint32_t bytesPerSector, uint32_t freeClusters)
{
    return static_cast<double>(sectorsPerCluster) * static_cast<double>(freeClusters) *
           static_cast<double>(bytesPerSector);
}

int32_t DiskStateFor(double thumbnailBytes, double tempBytes)
{
    if (thumbnailBytes >= kDiskPlentyBytes && tempBytes >= kDiskPlentyBytes)
        return 2;
    if (thumbnailBytes >= kDiskLowBytes && tempBytes >= kDiskLowBytes)
        return 1;
    return 0;
}

uint32_t TickDistance(uint32_t now, uint32_t then)
{
    // The difference taken in whichever order is not negative as a signed number.
    const uint32_t forward = now - then;
    return static_cast<int32_t>(forward) >= 0 ? forward : then - now;
}

}  // namespace shell
