// The file sink of received pictures over Win32: the hidden numbered file and
// the fixed global-memory block that the picture is handed over in.
#include "app/camera/app/kavo_file_sink.h"

#include <windows.h>

namespace {

class CKavoWin32FileSink : public IKavoFileSink {
public:
    bool FolderExists(const char* path) override
    {
        const DWORD attributes = GetFileAttributesA(path);
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }
    bool CreateFolder(const char* path) override { return CreateDirectoryA(path, nullptr) != 0; }
    bool NameExists(const char* path) override { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }
    KavoFileHandle CreateHiddenFile(const char* path) override
    {
        HANDLE file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr);
        return file == INVALID_HANDLE_VALUE ? kKavoNoFile : reinterpret_cast<KavoFileHandle>(file);
    }
    uint32_t Write(KavoFileHandle file, const void* bytes, uint32_t length) override
    {
        DWORD written = 0;
        if (!WriteFile(reinterpret_cast<HANDLE>(file), bytes, length, &written, nullptr))
            return GetLastError() ? GetLastError() : ERROR_WRITE_FAULT;
        // A short write without an error is the disk running full.
        return written == length ? 0 : ERROR_DISK_FULL;
    }
    void Close(KavoFileHandle file) override { CloseHandle(reinterpret_cast<HANDLE>(file)); }
    bool MakeVisible(const char* path) override { return SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL) != 0; }
    void RemoveFile(const char* path) override { DeleteFileA(path); }
    uint8_t* AllocateBlock(uint32_t bytes) override
    {
        HGLOBAL block = GlobalAlloc(GMEM_FIXED, bytes);
        return block ? static_cast<uint8_t*>(GlobalLock(block)) : nullptr;
    }
    void FreeBlock(uint8_t* block) override
    {
        HGLOBAL handle = GlobalHandle(block);
        if (!handle)
            return;
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
};

}  // namespace

IKavoFileSink* KavoWin32FileSink()
{
    static CKavoWin32FileSink sink;
    return &sink;
}
