#include <cstring>

#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
using namespace quarnite;
} // namespace

IVorlatError* IVorlatMemoryStream::CreateMemoryStream(IVorlatMemoryStream** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = new (std::nothrow) CVorlatMemoryStream;
    return *out ? nullptr : QZ_FAIL(kErrAllocation);
}

IVorlatError* IVorlatMemoryStream::CreateStream(IVorlatStream** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    IVorlatMemoryStream* stream = nullptr;
    IVorlatError* err = CreateMemoryStream(&stream);
    *out = stream;
    return QZ_WRAP(err);
}

void CVorlatMemoryStream::Destroy() { delete this; }

IVorlatError* CVorlatMemoryStream::SetMemory(void* buffer, uint32_t bytes)
{
    base_ = static_cast<uint8_t*>(buffer);
    size_ = buffer ? bytes : 0;
    if (position_ > size_)
        position_ = size_;
    return nullptr;
}

IVorlatError* CVorlatMemoryStream::OpenStream(bool)
{
    open_ = true;
    position_ = 0;
    return nullptr;
}

void CVorlatMemoryStream::CloseStream()
{
    open_ = false;
    position_ = 0;
}

// The readers that take bytes in place expect the current position.
const void* CVorlatMemoryStream::GetMappedMemory() const { return open_ && base_ ? base_ + position_ : nullptr; }

IVorlatError* CVorlatMemoryStream::LoadToMemory(void* buffer, uint32_t bytes)
{
    if (!open_)
        return QZ_FAIL(kErrState);
    if (static_cast<uint64_t>(position_) + bytes > size_)
        return QZ_FAIL(kErrReadPastEnd);
    if (bytes)
        std::memcpy(buffer, base_ + position_, bytes);
    position_ += bytes;
    return nullptr;
}

IVorlatError* CVorlatMemoryStream::SaveFromMemory(const void* buffer, uint32_t bytes)
{
    if (bytes == 0)
        return nullptr;
    if (!open_)
        return QZ_FAIL(kErrState);
    // The buffer never grows: a write that does not fit writes nothing.
    if (static_cast<uint64_t>(position_) + bytes > size_)
        return QZ_FAIL(kErrShortWrite);
    std::memcpy(base_ + position_, buffer, bytes);
    position_ += bytes;
    return nullptr;
}

IVorlatError* CVorlatMemoryStream::Seek(int32_t offset, int origin)
{
    if (!open_)
        return QZ_FAIL(kErrState);
    int64_t target;
    if (origin == 0)
        target = offset;
    else if (origin == 1)
        target = static_cast<int64_t>(position_) + offset;
    else
        return QZ_FAIL(kErrState);
    if (target < 0 || target > static_cast<int64_t>(size_))
        return QZ_FAIL(kErrSeek);
    position_ = static_cast<uint32_t>(target);
    return nullptr;
}

IVorlatError* CVorlatMemoryStream::Tell(int32_t* position) const
{
    if (!position)
        return QZ_FAIL(kErrBadArgument);
    *position = static_cast<int32_t>(position_);
    return nullptr;
}

IVorlatError* CVorlatMemoryStream::GetCreateTime(struct tm*) const { return QZ_FAIL(kErrState); }

IVorlatError* CVorlatMemoryStream::GetFile(_VorlatFile*) const { return QZ_FAIL(kErrState); }

IVorlatError* CVorlatMemoryStream::GetSize(uint32_t* bytes) const
{
    if (!bytes)
        return QZ_FAIL(kErrBadArgument);
    *bytes = size_;
    return nullptr;
}
