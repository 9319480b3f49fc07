#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
// Reads of at least this many bytes come from the file rather than the view.
constexpr uint32_t kDirectReadBytes = 64 << 10;
using namespace quarnite;

bool StatPath(const char* path, uint64_t* size, time_t* created)
{
#if defined(_WIN32)
    struct _stat64 info {};
    if (_stat64(path, &info) != 0)
        return false;
#else
    struct stat info {};
    if (stat(path, &info) != 0)
        return false;
#endif
    *size = static_cast<uint64_t>(info.st_size);
    *created = info.st_ctime;
    return true;
}
} // namespace

IVorlatStream::~IVorlatStream() = default;

IVorlatError* IVorlatFileStream::CreateFileStream(IVorlatFileStream** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = new (std::nothrow) CVorlatFileStream;
    return *out ? nullptr : QZ_FAIL(kErrAllocation);
}

IVorlatError* IVorlatFileStream::CreateStream(IVorlatStream** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    IVorlatFileStream* stream = nullptr;
    IVorlatError* err = CreateFileStream(&stream);
    *out = stream;
    return QZ_WRAP(err);
}

CVorlatFileStream::CVorlatFileStream() { std::memset(&file_, 0, sizeof file_); }

CVorlatFileStream::~CVorlatFileStream()
{
    // The owner closes; what is still open here would leak, so let go of it.
    // A save never closed is unfinished and must not replace the target.
    AbandonWrite();
}

void CVorlatFileStream::Destroy() { delete this; }

IVorlatError* CVorlatFileStream::SetFile(const _VorlatFile& file)
{
    file_ = file;
    file_.path[sizeof file_.path - 1] = '\0';
    return nullptr;
}

IVorlatError* CVorlatFileStream::GetFile(_VorlatFile* out) const
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = file_;
    return nullptr;
}

IVorlatError* CVorlatFileStream::OpenStream(bool read)
{
    CloseStream();
    read_ = read;
    if (!read)
        return writeFile_.Open(file_.path) ? nullptr : QZ_FAIL(kErrOpen);
    // Offsets are 32-bit: a larger file is read through stdio, whose own
    // position calls then refuse what lies beyond.
    if (mapping_.Open(file_.path) && mapping_.Size() <= 0xFFFFFFFEu) {
        mappedSize_ = static_cast<uint32_t>(mapping_.Size());
        position_ = 0;
        readDescriptor_ = port::FileOpen(file_.path, port::kReadOnly);
        return nullptr;
    }
    mapping_.Close();
    readFile_ = std::fopen(file_.path, "rb");
    return readFile_ ? nullptr : QZ_FAIL(kErrOpen);
}

void CVorlatFileStream::CloseStream()
{
    mappedSize_ = 0;
    mapping_.Close();
    if (readDescriptor_ >= 0)
        port::FileClose(readDescriptor_);
    readDescriptor_ = -1;
    position_ = 0;
    if (readFile_)
        std::fclose(readFile_);
    readFile_ = nullptr;
    // Closing has no result to give; a save whose bytes did not all reach the
    // disk leaves the target as it was. FinishWrite reports it.
    writeFile_.Commit();
}

IVorlatError* CVorlatFileStream::FinishWrite()
{
    const bool writing = writeFile_.IsOpen();
    const bool replaced = writeFile_.Commit();
    CloseStream();
    return !writing || replaced ? nullptr : QZ_FAIL(kErrShortWrite);
}

void CVorlatFileStream::AbandonWrite()
{
    writeFile_.Abandon();
    CloseStream();
}

const char* CVorlatFileStream::StatusPath() const
{
    return writeFile_.IsOpen() ? writeFile_.Path() : file_.path;
}

IVorlatError* quarnite::FinishWrite(IVorlatStream* stream)
{
    auto* file = dynamic_cast<CVorlatFileStream*>(stream);
    return file ? QZ_WRAP(file->FinishWrite()) : nullptr;
}

void quarnite::AbandonWrite(IVorlatStream* stream)
{
    if (auto* file = dynamic_cast<CVorlatFileStream*>(stream))
        file->AbandonWrite();
}

const void* CVorlatFileStream::GetMappedMemory() const
{
    return mapping_.IsOpen() ? mapping_.Data() + position_ : nullptr;
}

IVorlatError* CVorlatFileStream::LoadToMemory(void* buffer, uint32_t bytes)
{
    if (!read_)
        return QZ_FAIL(kErrState);
    if (mapping_.IsOpen()) {
        if (static_cast<uint64_t>(position_) + bytes > mappedSize_)
            return QZ_FAIL(kErrReadPastEnd);
        const DirectRead direct = bytes ? ReadDirect(buffer, bytes) : DirectRead::Done;
        // The file ended before the view does: another program cut it short,
        // and the view's pages past its new end would fault when touched.
        if (direct == DirectRead::CutShort)
            return QZ_FAIL(kErrReadPastEnd);
        if (direct == DirectRead::NotUsed)
            std::memcpy(buffer, mapping_.Data() + position_, bytes);
        position_ += bytes;
        return nullptr;
    }
    if (!readFile_)
        return QZ_FAIL(kErrState);
    long before = std::ftell(readFile_);
    if (std::fread(buffer, 1, bytes, readFile_) != bytes) {
        // A short read keeps the position where it was.
        std::clearerr(readFile_);
        if (before >= 0)
            std::fseek(readFile_, before, SEEK_SET);
        return QZ_FAIL(kErrReadPastEnd);
    }
    return nullptr;
}

// A copy out of the view touches each of its pages for the first time, which
// costs a fault (and, in a virtual machine, an exit) per page; a read of the
// file hands the same bytes to the caller's buffer without mapping them. Small
// reads stay copies, and so does every read when the file cannot be sought.
// A read that gets less than the view promised is cut short (the caller's
// buffer may hold part of it).
CVorlatFileStream::DirectRead CVorlatFileStream::ReadDirect(void* buffer, uint32_t bytes)
{
    if (bytes < kDirectReadBytes || readDescriptor_ < 0)
        return DirectRead::NotUsed;
    if (port::FileSeek(readDescriptor_, position_, SEEK_SET) != static_cast<int64_t>(position_))
        return DirectRead::NotUsed;
    uint32_t done = 0;
    while (done < bytes) {
        const int32_t got = port::FileRead(readDescriptor_, static_cast<uint8_t*>(buffer) + done,
                                           std::min<uint32_t>(bytes - done, 1u << 30));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return DirectRead::CutShort;
        done += static_cast<uint32_t>(got);
    }
    return DirectRead::Done;
}

IVorlatError* CVorlatFileStream::SaveFromMemory(const void* buffer, uint32_t bytes)
{
    if (bytes == 0)
        return nullptr;
    if (read_)
        return QZ_FAIL(kErrShortWrite);  // the view is read-only, the "rb" file takes nothing
    if (!writeFile_.IsOpen())
        return QZ_FAIL(kErrState);
    if (std::fwrite(buffer, 1, bytes, writeFile_.File()) != bytes)
        return QZ_FAIL(kErrShortWrite);
    return nullptr;
}

IVorlatError* CVorlatFileStream::Seek(int32_t offset, int origin)
{
    if (mapping_.IsOpen()) {
        int64_t target;
        switch (origin) {
        case 0: target = offset; break;
        case 1: target = static_cast<int64_t>(position_) + offset; break;
        case 2: target = static_cast<int64_t>(mappedSize_) + offset; break;
        default: return QZ_FAIL(kErrSeek);
        }
        if (target < 0 || target > static_cast<int64_t>(mappedSize_))
            return QZ_FAIL(kErrSeek);
        position_ = static_cast<uint32_t>(target);
        return nullptr;
    }
    FILE* file = readFile_ ? readFile_ : writeFile_.File();
    if (!file)
        return QZ_FAIL(kErrState);
    if (std::fseek(file, offset, origin) != 0)
        return QZ_FAIL(kErrSeek);
    return nullptr;
}

IVorlatError* CVorlatFileStream::Tell(int32_t* position) const
{
    if (!position)
        return QZ_FAIL(kErrBadArgument);
    if (mapping_.IsOpen()) {
        *position = static_cast<int32_t>(position_);
        return nullptr;
    }
    FILE* file = readFile_ ? readFile_ : writeFile_.File();
    if (!file)
        return QZ_FAIL(kErrState);
    long at = std::ftell(file);
    if (at < 0 || at > INT32_MAX)
        return QZ_FAIL(kErrTell);
    *position = static_cast<int32_t>(at);
    return nullptr;
}

IVorlatError* CVorlatFileStream::GetCreateTime(struct tm* out) const
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    uint64_t size = 0;
    time_t created = 0;
    if (!StatPath(StatusPath(), &size, &created))
        return QZ_FAIL(kErrStat);
#if defined(_WIN32)
    if (localtime_s(out, &created) != 0)
        return QZ_FAIL(kErrState);
#else
    if (!localtime_r(&created, out))
        return QZ_FAIL(kErrState);
#endif
    return nullptr;
}

IVorlatError* CVorlatFileStream::GetSize(uint32_t* bytes) const
{
    if (!bytes)
        return QZ_FAIL(kErrBadArgument);
    if (read_ && mapping_.IsOpen()) {
        *bytes = mappedSize_;
        return nullptr;
    }
    if (writeFile_.IsOpen())
        std::fflush(writeFile_.File());
    uint64_t size = 0;
    time_t created = 0;
    if (!StatPath(StatusPath(), &size, &created))
        return QZ_FAIL(kErrStat);
    *bytes = size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
    return nullptr;
}
