#include "fileio/quarnite_error.h"
#include "fileio/stream_impl.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcValues;
using namespace quarnite;
} // namespace

CVorlatWindowStream::CVorlatWindowStream(IVorlatStream* inner, uint32_t base) : inner_(inner), base_(base) {}

IVorlatError* CVorlatWindowStream::OpenStream(bool) { return nullptr; }

void CVorlatWindowStream::CloseStream() {}

void CVorlatWindowStream::Destroy() { delete this; }

const void* CVorlatWindowStream::GetMappedMemory() const { return inner_->GetMappedMemory(); }

IVorlatError* CVorlatWindowStream::LoadToMemory(void* buffer, uint32_t bytes)
{
    return QZ_WRAP(inner_->LoadToMemory(buffer, bytes));
}

IVorlatError* CVorlatWindowStream::SaveFromMemory(const void* buffer, uint32_t bytes)
{
    return QZ_WRAP(inner_->SaveFromMemory(buffer, bytes));
}

IVorlatError* CVorlatWindowStream::Seek(int32_t offset, int origin)
{
    if (origin != 0)
        return QZ_WRAP(inner_->Seek(offset, origin));
    int64_t target = static_cast<int64_t>(base_) + offset;
    if (target < 0 || target > INT32_MAX)
        return QZ_FAIL(kErrSeek);
    return QZ_WRAP(inner_->Seek(static_cast<int32_t>(target), 0));
}

IVorlatError* CVorlatWindowStream::Tell(int32_t* position) const
{
    if (!position)
        return QZ_FAIL(kErrBadArgument);
    int32_t inner = 0;
    if (IVorlatError* err = inner_->Tell(&inner))
        return QZ_WRAP(err);
    int64_t at = static_cast<int64_t>(inner) - base_;
    if (at < 0)
        return QZ_FAIL(kErrSeek);
    *position = static_cast<int32_t>(at);
    return nullptr;
}

IVorlatError* CVorlatWindowStream::GetCreateTime(struct tm* out) const { return QZ_WRAP(inner_->GetCreateTime(out)); }

IVorlatError* CVorlatWindowStream::GetFile(_VorlatFile* out) const { return QZ_WRAP(inner_->GetFile(out)); }

IVorlatError* CVorlatWindowStream::GetSize(uint32_t* bytes) const { return QZ_WRAP(inner_->GetSize(bytes)); }
