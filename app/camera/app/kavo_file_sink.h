// What receiving a picture needs of the system: the target folder, the
// numbered file (hidden while it is written), and the memory block that
// holds the picture. The program uses the Win32 sink; tests give their own.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

// An open output file; kKavoNoFile when none (INVALID_HANDLE_VALUE).
using KavoFileHandle = intptr_t;
constexpr KavoFileHandle kKavoNoFile = -1;

// The system's error for a full disk.
constexpr uint32_t kKavoDiskFullError = 112;

class IKavoFileSink {
public:
    virtual ~IKavoFileSink() = default;
    virtual bool FolderExists(const char* path) = 0;
    // One level: the parent must exist.
    virtual bool CreateFolder(const char* path) = 0;
    // A file or a folder of that name.
    virtual bool NameExists(const char* path) = 0;
    // Create always, write access, read sharing, hidden; kKavoNoFile on failure.
    virtual KavoFileHandle CreateHiddenFile(const char* path) = 0;
    // Appends at the file's position: 0, or the system's error.
    virtual uint32_t Write(KavoFileHandle file, const void* bytes, uint32_t length) = 0;
    virtual void Close(KavoFileHandle file) = 0;
    // The attributes set to normal: true on success.
    virtual bool MakeVisible(const char* path) = 0;
    virtual void RemoveFile(const char* path) = 0;
    // A fixed block of the system's memory; null when there is none.
    virtual uint8_t* AllocateBlock(uint32_t bytes) = 0;
    virtual void FreeBlock(uint8_t* block) = 0;
};

// The stored next image number and the extensions' texts: the program's
// settings and string table.
class IKavoReceiveSettings {
public:
    virtual ~IKavoReceiveSettings() = default;
    // "NextImageFileNumber", as stored (not clamped).
    virtual int32_t ReadNextImageNumber() = 0;
    virtual void WriteNextImageNumber(int32_t number) = 0;
    virtual CQzString LoadText(uint32_t stringId) = 0;
};

#if defined(_WIN32)
// The sink over the Win32 file and global-memory calls; one for the process.
IKavoFileSink* KavoWin32FileSink();
#endif
