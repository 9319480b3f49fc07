// A window on another stream that begins at `base` and, unlike the library's
// window stream, ends after `length` bytes: what a reader made for a segment
// reads can never run past that segment.
#pragma once

#include <cstdint>

#include "fileio/VorlatStream.h"

namespace quarnite {

class CJpegSegmentStream : public IVorlatStream {
public:
    CJpegSegmentStream(IVorlatStream* inner, uint32_t base, uint32_t length)
        : inner_(inner), base_(base), length_(length) {}
    ~CJpegSegmentStream() override = default;

    IVorlatError* OpenStream(bool) override { return nullptr; }
    void CloseStream() override {}
    void Destroy() override { delete this; }
    const void* GetMappedMemory() const override { return nullptr; }
    IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) override;
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override;
    IVorlatError* Seek(int32_t offset, int origin) override;
    IVorlatError* Tell(int32_t* position) const override;
    IVorlatError* GetCreateTime(struct tm* out) const override;
    IVorlatError* GetFile(_VorlatFile* out) const override;
    IVorlatError* GetSize(uint32_t* bytes) const override;

private:
    IVorlatError* Position(uint32_t* at) const;

    IVorlatStream* inner_;
    uint32_t base_;
    uint32_t length_;
};

} // namespace quarnite
