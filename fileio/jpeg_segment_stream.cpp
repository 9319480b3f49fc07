#include "fileio/jpeg_segment_stream.h"

#include "fileio/jpeg_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcValues;
} // namespace

IVorlatError* CJpegSegmentStream::Position(uint32_t* at) const
{
    int32_t inner = 0;
    if (IVorlatError* err = inner_->Tell(&inner))
        return QZ_WRAP(err);
    if (inner < 0 || static_cast<uint32_t>(inner) < base_)
        return QZ_FAIL(kErrSeek);
    *at = static_cast<uint32_t>(inner) - base_;
    return nullptr;
}

IVorlatError* CJpegSegmentStream::LoadToMemory(void* buffer, uint32_t bytes)
{
    uint32_t at = 0;
    if (IVorlatError* err = Position(&at))
        return err;
    if (at > length_ || bytes > length_ - at)
        return QZ_FAIL(kErrReadPastEnd);
    return QZ_WRAP(inner_->LoadToMemory(buffer, bytes));
}

IVorlatError* CJpegSegmentStream::SaveFromMemory(const void* buffer, uint32_t bytes)
{
    return QZ_WRAP(inner_->SaveFromMemory(buffer, bytes));
}

IVorlatError* CJpegSegmentStream::Seek(int32_t offset, int origin)
{
    int64_t target = offset;
    if (origin == 1) {
        uint32_t at = 0;
        if (IVorlatError* err = Position(&at))
            return err;
        target += at;
    } else if (origin == 2) {
        target += length_;
    } else if (origin != 0) {
        return nullptr;
    }
    if (target < 0 || target > length_ || static_cast<int64_t>(base_) + target > INT32_MAX)
        return QZ_FAIL(kErrSeek);
    return QZ_WRAP(inner_->Seek(static_cast<int32_t>(base_ + target), 0));
}

IVorlatError* CJpegSegmentStream::Tell(int32_t* position) const
{
    if (!position)
        return QZ_FAIL(kErrBadArgument);
    uint32_t at = 0;
    if (IVorlatError* err = Position(&at))
        return err;
    *position = static_cast<int32_t>(at);
    return nullptr;
}

IVorlatError* CJpegSegmentStream::GetCreateTime(struct tm* out) const { return QZ_WRAP(inner_->GetCreateTime(out)); }

IVorlatError* CJpegSegmentStream::GetFile(_VorlatFile* out) const { return QZ_WRAP(inner_->GetFile(out)); }

IVorlatError* CJpegSegmentStream::GetSize(uint32_t* bytes) const
{
    if (!bytes)
        return QZ_FAIL(kErrBadArgument);
    *bytes = length_;
    return nullptr;
}

} // namespace quarnite
