// The few services of the operating system that the libraries use beyond the
// C++ standard library: tick count, full path, read-only memory-mapped files,
// the C run-time's low-level file calls, saving beside a file and then
// replacing it, and the processor's MMX test.
// Header-only, so each library carries its own copy and needs no extra DLL.
#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>
#endif

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace port {

// ---- Tick count -----------------------------------------------------------

using TickSource = uint32_t (*)();

// Tests replace the clock to drive time slices deterministically; null restores it.
inline TickSource& TickOverride()
{
    static TickSource source = nullptr;
    return source;
}

inline void SetTickSource(TickSource source) { TickOverride() = source; }

// Milliseconds since an arbitrary start; wraps like the system's 32-bit count.
inline uint32_t TickCount()
{
    if (TickSource source = TickOverride())
        return source();
#if defined(_WIN32)
    return GetTickCount();
#else
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<uint32_t>(static_cast<uint64_t>(now.tv_sec) * 1000u +
                                 static_cast<uint64_t>(now.tv_nsec) / 1000000u);
#endif
}

// ---- Full path ------------------------------------------------------------

// Absolute form of `name` (the file need not exist); false when it does not fit.
inline bool FullPath(const char* name, char* out, size_t outSize)
{
    if (!name || !out || outSize == 0)
        return false;
#if defined(_WIN32)
    char* result = _fullpath(out, name, outSize);
    return result != nullptr;
#else
    std::string path;
    if (name[0] == '/') {
        path = name;
    } else {
        char cwd[4096];
        if (!getcwd(cwd, sizeof cwd))
            return false;
        path = std::string(cwd) + "/" + name;
    }
    // Fold "." and ".." lexically, as the Windows call does.
    std::string folded;
    size_t pos = 0;
    while (pos <= path.size()) {
        size_t next = path.find('/', pos);
        if (next == std::string::npos)
            next = path.size();
        std::string part = path.substr(pos, next - pos);
        if (part == "..") {
            size_t cut = folded.rfind('/');
            folded.erase(cut == std::string::npos ? 0 : cut);
        } else if (!part.empty() && part != ".") {
            folded += "/" + part;
        }
        pos = next + 1;
    }
    if (folded.empty())
        folded = "/";
    if (folded.size() + 1 > outSize)
        return false;
    std::memcpy(out, folded.c_str(), folded.size() + 1);
    return true;
#endif
}

// ---- Read-only memory-mapped file -----------------------------------------

// Maps a whole file for reading. Every failure (missing file, empty file, no
// address space) is the same answer: Open returns false and nothing is held.
class MappedFile {
public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { Close(); }

    bool Open(const char* path)
    {
        Close();
#if defined(_WIN32)
        HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        LARGE_INTEGER size{};
        if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0 ||
            static_cast<uint64_t>(size.QuadPart) > SIZE_MAX) {
            CloseHandle(file);
            return false;
        }
        HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        CloseHandle(file);
        if (!mapping)
            return false;
        void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        CloseHandle(mapping);
        if (!view)
            return false;
        data_ = static_cast<const uint8_t*>(view);
        size_ = static_cast<size_t>(size.QuadPart);
#else
        int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        struct stat info {};
        if (fstat(fd, &info) != 0 || info.st_size <= 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return false;
        }
        void* view = mmap(nullptr, static_cast<size_t>(info.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ::close(fd);
        if (view == MAP_FAILED)
            return false;
        data_ = static_cast<const uint8_t*>(view);
        size_ = static_cast<size_t>(info.st_size);
#endif
        return true;
    }

    void Close()
    {
        if (!data_)
            return;
#if defined(_WIN32)
        UnmapViewOfFile(data_);
#else
        munmap(const_cast<uint8_t*>(data_), size_);
#endif
        data_ = nullptr;
        size_ = 0;
    }

    const uint8_t* Data() const { return data_; }
    size_t Size() const { return size_; }
    bool IsOpen() const { return data_ != nullptr; }

private:
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// ---- Low-level file calls -------------------------------------------------
// Thin forwards to the C run time, always in binary mode. Failures return -1
// and leave the run time's error number in errno, which error frames carry.

enum OpenFlags : int {
    kReadOnly = 0x1,
    kReadWrite = 0x2,
    kCreate = 0x4,    // create when missing
    kTruncate = 0x8,  // empty an existing file
    kExclusive = 0x10 // fail when it exists
};

inline int FileOpen(const char* path, int flags)
{
#if defined(_WIN32)
    int mode = _O_BINARY | ((flags & kReadWrite) ? _O_RDWR : _O_RDONLY);
    if (flags & kCreate) mode |= _O_CREAT;
    if (flags & kTruncate) mode |= _O_TRUNC;
    if (flags & kExclusive) mode |= _O_EXCL;
    return _open(path, mode, _S_IREAD | _S_IWRITE);
#else
    int mode = O_CLOEXEC | ((flags & kReadWrite) ? O_RDWR : O_RDONLY);
    if (flags & kCreate) mode |= O_CREAT;
    if (flags & kTruncate) mode |= O_TRUNC;
    if (flags & kExclusive) mode |= O_EXCL;
    return ::open(path, mode, 0644);
#endif
}

inline int32_t FileRead(int fd, void* buffer, uint32_t count)
{
#if defined(_WIN32)
    return _read(fd, buffer, count);
#else
    return static_cast<int32_t>(::read(fd, buffer, count));
#endif
}

inline int32_t FileWrite(int fd, const void* buffer, uint32_t count)
{
#if defined(_WIN32)
    return _write(fd, buffer, count);
#else
    return static_cast<int32_t>(::write(fd, buffer, count));
#endif
}

// origin: SEEK_SET, SEEK_CUR or SEEK_END; returns the new position or -1.
inline int64_t FileSeek(int fd, int64_t offset, int origin)
{
#if defined(_WIN32)
    return _lseeki64(fd, offset, origin);
#else
    return ::lseek(fd, static_cast<off_t>(offset), origin);
#endif
}

// Sets the file's length (cuts or extends with zeros); 0 on success.
inline int FileChsize(int fd, int64_t size)
{
#if defined(_WIN32)
    return _chsize_s(fd, size) == 0 ? 0 : -1;
#else
    return ::ftruncate(fd, static_cast<off_t>(size));
#endif
}

inline int FileClose(int fd)
{
#if defined(_WIN32)
    return _close(fd);
#else
    return ::close(fd);
#endif
}

inline int FileUnlink(const char* path)
{
#if defined(_WIN32)
    return _unlink(path);
#else
    return ::unlink(path);
#endif
}

// ---- Write beside, then replace ---------------------------------------------
// A save goes into a new file in the target's folder, which takes the target's
// place only after a clean close; a save that fails or is given up leaves the
// target as it was. The same folder keeps both on one volume, where the
// replace is a single rename.

// False when the target exists and cannot be replaced: read-only, not a plain
// file, or (Windows) open elsewhere without delete sharing. Asked before a
// save starts, so that such a save fails before any work.
inline bool CanReplace(const char* target)
{
#if defined(_WIN32)
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))
        return false;
    // The replace needs delete access, which a handle open elsewhere without
    // delete sharing denies.
    HANDLE file = CreateFileA(target, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
#else
    struct stat info {};
    if (::stat(target, &info) != 0)
        return errno == ENOENT;
    // The write bits as well as access(): a rename would replace even a
    // read-only file, and root passes every access() test.
    return S_ISREG(info.st_mode) && (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 &&
           ::access(target, W_OK) == 0;
#endif
}

// Creates a new, empty file in `target`'s folder, never one that exists, and
// opens it for binary writing; its name goes to `temp`. Null on failure.
inline std::FILE* CreateBeside(const char* target, std::string* temp)
{
#if defined(_WIN32)
    const char* separators = "\\/:";
#else
    const char* separators = "/";
#endif
    const char* name = target;
    for (const char* p = target; *p; ++p)
        if (std::strchr(separators, *p))
            name = p + 1;
    const std::string folder(target, static_cast<size_t>(name - target));
#if defined(_WIN32)
    uint32_t seed = GetCurrentProcessId() * 2654435761u;
#else
    uint32_t seed = static_cast<uint32_t>(getpid()) * 2654435761u;
    // A new file gets the mode "wb" would give it; a replacing one keeps the target's.
    struct stat info {};
    const bool exists = ::stat(target, &info) == 0;
#endif
    static std::atomic<uint32_t> counter{0};
    for (int attempt = 0; attempt < 64; ++attempt) {
        char unique[16];
        std::snprintf(unique, sizeof unique, "~%08x.tmp", seed ^ (TickCount() + counter++ * 0x9E3779B9u));
        *temp = folder + unique;
#if defined(_WIN32)
        const int fd = _open(temp->c_str(), _O_BINARY | _O_WRONLY | _O_CREAT | _O_EXCL, _S_IREAD | _S_IWRITE);
#else
        const int fd = ::open(temp->c_str(), O_CLOEXEC | O_WRONLY | O_CREAT | O_EXCL, 0666);
#endif
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            break;
        }
#if defined(_WIN32)
        std::FILE* file = _fdopen(fd, "wb");
#else
        if (exists)
            fchmod(fd, info.st_mode & 07777);
        std::FILE* file = fdopen(fd, "wb");
#endif
        if (file)
            return file;
        FileClose(fd);
        FileUnlink(temp->c_str());
        break;
    }
    temp->clear();
    return nullptr;
}

// Puts `temp` in `target`'s place; false leaves both as they were.
inline bool MoveOver(const char* temp, const char* target)
{
#if defined(_WIN32)
    return MoveFileExA(temp, target, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return ::rename(temp, target) == 0;
#endif
}

// One save by the rule above: Open, write through File, then Commit, or
// Abandon (which the destructor does for a save never committed).
class ReplacingFile {
public:
    ReplacingFile() = default;
    ReplacingFile(const ReplacingFile&) = delete;
    ReplacingFile& operator=(const ReplacingFile&) = delete;
    ~ReplacingFile() { Abandon(); }

    // False for a target that cannot be replaced or a folder where no file can be made.
    bool Open(const char* target)
    {
        Abandon();
        target_ = target;
#if !defined(_WIN32)
        // Saving through a link replaces the file it leads to, not the link.
        char real[PATH_MAX];
        if (::realpath(target, real))
            target_ = real;
#endif
        if (!CanReplace(target_.c_str()) || !(file_ = CreateBeside(target_.c_str(), &temp_))) {
            target_.clear();
            return false;
        }
        return true;
    }

    // Closes and puts the file in the target's place. False when a write
    // failed, the close could not write the last bytes, or the target could
    // not be replaced: the file is then removed and the target is as it was.
    bool Commit()
    {
        if (!file_)
            return false;
        bool written = std::ferror(file_) == 0;
        if (std::fclose(file_) != 0)
            written = false;
        file_ = nullptr;
        const bool replaced = written && MoveOver(temp_.c_str(), target_.c_str());
        if (!replaced)
            FileUnlink(temp_.c_str());
        temp_.clear();
        target_.clear();
        return replaced;
    }

    // Closes and removes the file; the target stays as it was.
    void Abandon()
    {
        if (!file_)
            return;
        std::fclose(file_);
        file_ = nullptr;
        FileUnlink(temp_.c_str());
        temp_.clear();
        target_.clear();
    }

    bool IsOpen() const { return file_ != nullptr; }
    std::FILE* File() const { return file_; }
    // The file being written (not the target) while open.
    const char* Path() const { return temp_.c_str(); }

private:
    std::FILE* file_ = nullptr;
    std::string temp_;
    std::string target_;
};

// ---- Processor features ---------------------------------------------------

inline bool HasMMX()
{
#if defined(__i386__) || defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx))
        return false;
    return (edx & (1u << 23)) != 0;
#else
    return false;
#endif
}

} // namespace port
