// The bit pointer's operations that do more than pointer arithmetic.
#include <algorithm>

#include "filters/VorlatFilterBase.h"

namespace {

// Copies nbits bits, most significant bit first, from (src, srcBit) to
// (dst, dstBit). The target's bits around the run keep their values; a source
// byte is read only when the run reaches into it.
void CopyBits(unsigned char* dst, int32_t dstBit, const unsigned char* src, int32_t srcBit, int64_t nbits)
{
    while (nbits > 0) {
        const int32_t take = static_cast<int32_t>(std::min<int64_t>(8 - dstBit, nbits));
        uint32_t window = static_cast<uint32_t>(src[0]) << 8;
        if (srcBit + take > 8)
            window |= src[1];
        const uint32_t ones = (1u << take) - 1u;
        const uint32_t value = (window >> (16 - srcBit - take)) & ones;
        const int32_t place = 8 - dstBit - take;
        dst[0] = static_cast<unsigned char>((dst[0] & ~(ones << place)) | (value << place));
        dstBit += take;
        if (dstBit == 8) {
            ++dst;
            dstBit = 0;
        }
        srcBit += take;
        src += srcBit / 8;
        srcBit %= 8;
        nbits -= take;
    }
}

// Rounds toward minus infinity, so that moving left crosses into the previous byte.
int64_t FloorDiv8(int64_t b) { return b >= 0 ? b / 8 : -((7 - b) / 8); }

} // namespace

CVorlatFilterBase::CPixelBitPtr::CPixelBitPtr(unsigned char* ptr, int32_t bitOffset, int32_t colorSpace,
                                              int32_t rowBytes)
    : ptr_(ptr), bit_(0), bits_(IVorlatDataSource::GetBitsPerPixel(colorSpace)), bytes_(bits_ / 8), mask_(0),
      rowBytes_(rowBytes), shift_(0)
{
    if (bits_ > 0 && bits_ < 8) {
        mask_ = static_cast<unsigned char>(255 >> (8 - bits_));
        bit_ = bitOffset & (8 - bits_);
    }
    shift_ = 8 - bits_ - bit_;
}

CVorlatFilterBase::CPixelBitPtr& CVorlatFilterBase::CPixelBitPtr::MoveX(int32_t n)
{
    if (bits_ >= 8) {
        ptr_ += static_cast<intptr_t>(n) * bytes_;
        return *this;
    }
    const int64_t b = bit_ + static_cast<int64_t>(n) * bits_;
    const int64_t bytes = FloorDiv8(b);
    ptr_ += bytes;
    SetBit(static_cast<int32_t>(b - 8 * bytes));
    return *this;
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelTo(unsigned char* dst) const
{
    if (bits_ < 8)
        dst[0] = GetPixel();
    else
        CPixelPtr::CopyOne(dst, ptr_, bits_, bytes_);
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelFrom(const unsigned char* src) const
{
    if (bits_ < 8)
        SetPixel(src[0]);
    else
        CPixelPtr::CopyOne(ptr_, src, bits_, bytes_);
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelTo(const CPixelBitPtr& dst) const
{
    if (bits_ < 8) {
        const unsigned char value = static_cast<unsigned char>(GetPixel() & dst.mask_);
        *dst.ptr_ = static_cast<unsigned char>((*dst.ptr_ & ~(dst.mask_ << dst.shift_)) | (value << dst.shift_));
    } else {
        CPixelPtr::CopyOne(dst.ptr_, ptr_, bits_, bytes_);
    }
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelsTo(const CPixelBitPtr& dst, int32_t n) const
{
    if (n <= 0)
        return;
    if (bits_ >= 8)
        CPixelPtr::CopyRun(dst.ptr_, ptr_, n, bytes_);
    else
        CopyBits(dst.ptr_, dst.bit_, ptr_, bit_, static_cast<int64_t>(n) * bits_);
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelsTo(unsigned char* dst, int32_t n) const
{
    CPixelBitPtr target(*this);
    target.ptr_ = dst;
    target.SetBit(0);
    CopyPixelsTo(target, n);
}

void CVorlatFilterBase::CPixelBitPtr::CopyPixelsFrom(const unsigned char* src, int32_t n) const
{
    CPixelBitPtr source(*this);
    source.ptr_ = const_cast<unsigned char*>(src);
    source.SetBit(0);
    source.CopyPixelsTo(*this, n);
}
