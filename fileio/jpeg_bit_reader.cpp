#include "fileio/jpeg_bit_reader.h"

#include <bit>

#include "fileio/jpeg_error.h"

namespace quarnite {
namespace {
constexpr int32_t kSourceId = kSrcJpegReader;
constexpr uint32_t kChunk = 1u << 16;
} // namespace

JpegBitReader::~JpegBitReader()
{
    if (endError_)
        endError_->Destroy();
}

void JpegBitReader::Attach(IVorlatStream* stream)
{
    stream_ = stream;
    streamSize_ = 0;
    if (IVorlatError* err = stream->GetSize(&streamSize_)) {
        err->Destroy();
        streamSize_ = UINT32_MAX;
    }
    Restart(0, 0, 0);
}

void JpegBitReader::Restart(uint32_t offset, uint32_t bitsLeft, uint32_t currentByte)
{
    // Keep the bytes already read when the offset lies among them.
    const uint8_t* base = buffer_.data();
    const uint32_t held = static_cast<uint32_t>(end_ - base);
    if (base && offset >= bufferOffset_ && offset - bufferOffset_ <= held) {
        next_ = base + (offset - bufferOffset_);
    } else {
        bufferOffset_ = offset;
        next_ = end_ = base;
    }
    ended_ = false;
    bitsLeft &= 7;
    accumulator_ = currentByte & ((1u << bitsLeft) - 1);
    bits_ = static_cast<int>(bitsLeft);
    padBits_ = 0;
    stuffed_ = 0;
}

uint32_t JpegBitReader::Offset() const
{
    // Whole bytes in the accumulator were read ahead; give them back, two
    // stream bytes for each that came from FF and the byte after it.
    const int whole = bits_ >> 3;
    const int pad = padBits_ >> 3;
    uint32_t unread = 0;
    if (whole > pad) {
        const int real = whole - pad;  // at most 8
        unread = static_cast<uint32_t>(real) + std::popcount((stuffed_ >> pad) & ((1u << real) - 1));
    }
    return bufferOffset_ + static_cast<uint32_t>(next_ - buffer_.data()) - unread;
}

bool JpegBitReader::More()
{
    if (ended_)
        return false;
    const uint32_t at = bufferOffset_ + static_cast<uint32_t>(end_ - buffer_.data());
    if (buffer_.size() < kChunk && !TryResize(buffer_, kChunk)) {
        ended_ = true;
        endError_ = endError_ ? endError_ : QZ_FAIL(kErrAllocation);
        return false;
    }
    // The buffer is empty at `at` until a read succeeds, so that a failed
    // read leaves next_ and end_ on the buffer for Offset and Restart.
    bufferOffset_ = at;
    next_ = end_ = buffer_.data();
    uint32_t want = kChunk;
    if (streamSize_ > at && streamSize_ - at < want)
        want = streamSize_ - at;
    if (IVorlatError* err = stream_->Seek(static_cast<int32_t>(at), 0)) {
        ended_ = true;
        if (endError_)
            endError_->Destroy();
        endError_ = err;
        return false;
    }
    // A window stream reports the size of the stream beneath it, so the end
    // is found by asking for less until a read succeeds.
    for (;;) {
        IVorlatError* err = stream_->LoadToMemory(buffer_.data(), want);
        if (!err)
            break;
        if (want <= 1) {
            ended_ = true;
            if (endError_)
                endError_->Destroy();
            endError_ = err;
            return false;
        }
        err->Destroy();
        want /= 2;
    }
    end_ = next_ + want;
    return true;
}

IVorlatError* JpegBitReader::ReadBytes(uint8_t* out, uint32_t count)
{
    DropBits();
    for (uint32_t i = 0; i < count; ++i) {
        if (next_ == end_ && !More())
            return QZ_WRAP(TakeEndError());
        out[i] = *next_++;
    }
    return nullptr;
}

IVorlatError* JpegBitReader::TakeEndError()
{
    IVorlatError* err = endError_;
    endError_ = nullptr;
    return err ? err : QZ_FAIL(kErrReadPastEnd);
}

} // namespace quarnite
