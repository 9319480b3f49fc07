#include "app/shell/dialogs/disk_free_space.h"

#include <windows.h>

namespace shell {

namespace {

using GetDiskFreeSpaceExFn = BOOL(WINAPI*)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);

GetDiskFreeSpaceExFn FindGetDiskFreeSpaceEx()
{
    HMODULE kernel = ::GetModuleHandleA("KERNEL32.DLL");
    return kernel ? reinterpret_cast<GetDiskFreeSpaceExFn>(
                        reinterpret_cast<void*>(::GetProcAddress(kernel, "GetDiskFreeSpaceExA")))
                  : nullptr;
}

}  // namespace

bool GetFreeDiskBytes(const char* folder, double* bytes)
{
    static const GetDiskFreeSpaceExFn getFreeSpaceEx = FindGetDiskFreeSpaceEx();
    if (getFreeSpaceEx) {
        ULARGE_INTEGER available{};
        ULARGE_INTEGER total{};
        ULARGE_INTEGER free{};
        if (!getFreeSpaceEx(folder, &available, &total, &free))
            return false;
        // The volume's total free bytes, not the caller's quota.
        *bytes = static_cast<double>(free.QuadPart);
        return true;
    }
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD clusters = 0;
    if (!::GetDiskFreeSpaceA(folder, &sectorsPerCluster, &bytesPerSector, &freeClusters, &clusters))
        return false;
    // Three 32-bit counts whose product overflows 32 bits on any large volume.
    *bytes = static_cast<double>(sectorsPerCluster) * static_cast<double>(bytesPerSector) *
             static_cast<double>(freeClusters);
    return true;
}

}  // namespace shell
