// The WAV format reader behind the loader: recognises a RIFF WAVE sound file
// and reads the descriptive items of its "INFO" list and its Exif audio
// ("exif") list into the tag store. It holds no picture.
#pragma once

#include <cstdint>

#include "fileio/VorlatFormat.h"

namespace quarnite {

constexpr int32_t kErrNoImage = 1003;  // the file holds no image

// 0x20000 for a RIFF form of type "WAVE".
IVorlatError* ProbeWav(IVorlatStream* stream, int32_t* format);
IVorlatFormatReader* CreateWavReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format);

class CWavReader : public IVorlatFormatReader {
public:
    CWavReader(IVorlatStream* stream, IVorlatTagControl* tags) : stream_(stream), tags_(tags) {}

    IVorlatError* Execute() override;
    bool IsFinished() override { return true; }
    void GetProgress(int32_t* done, int32_t* total) override;
    // Tags read before a failure stay in the store.
    IVorlatError* LoadTags() override;
    IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image) override;
    IVorlatError* Update(IVorlatStream* target, IVorlatDataSource** sources, uint32_t n) override;
    IVorlatError* Update(IVorlatStream* target) override;
    IVorlatError* LoadTileRow(int32_t row) override;

    // The Exif audio version of the last "ever" item read.
    const uint8_t* Version() const { return version_; }

private:
    IVorlatError* Read(void* buffer, uint32_t bytes);
    IVorlatError* Skip(uint64_t bytes);
    // After an odd-sized chunk or item: its pad byte, when there is one before
    // end and it is 0.
    IVorlatError* SkipPad(uint64_t end);
    IVorlatError* ReadList(uint32_t type, uint64_t end);

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    uint64_t position_ = 0;
    uint64_t formEnd_ = 0;  // what remains of the form is formEnd_ - position_
    uint8_t version_[4] = {};
};

} // namespace quarnite
