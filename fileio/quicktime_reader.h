// The QuickTime preview reader behind the loader: a camera's movie clip that
// begins with a preview reference is read as an image, its picture and its
// single thumbnail both being the JPEG preview near the start of the file, its
// tags coming from the movie header, the sample description and the maker's
// user-data record.
#pragma once

#include <cstdint>

#include "fileio/VorlatFormat.h"

namespace quarnite {

constexpr int32_t kErrQuickTimeCode = 1403;  // a code of the user-data record outside its table

// 0x10000 when the first atom is a preview reference ("pnot").
IVorlatError* ProbeQuickTime(IVorlatStream* stream, int32_t* format);
IVorlatFormatReader* CreateQuickTimeReader(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format);

// The maker's user-data record lies at fixed offsets from the "udta" atom's
// size field: offsets 103 to 335.
constexpr uint32_t kUserDataRecordEnd = 336;

// Stores the record's fields in their order, each before the next is read;
// a code outside its table stops at that field (1403). `record` holds the
// kUserDataRecordEnd bytes from the "udta" atom's size field on. A held image
// gets the colour space the record names.
IVorlatError* StoreQuickTimeUserData(const uint8_t* record, IVorlatTagControl* tags, IVorlatImage* image);

// "YYYY:MM:DD HH:MM:SS" of a movie time (seconds since 1 January 1904, UTC);
// times before 1970 give "1970:01:01 00:00:00". `text` gets 20 bytes.
void QuickTimeDateText(uint32_t movieTime, char text[20]);

struct QuickTimeAtom {
    uint64_t offset = 0;  // of its size field
    uint64_t size = 0;    // header included
    uint32_t header = 8;  // 16 with a 64-bit size
    uint32_t type = 0;
    uint64_t Body() const { return offset + header; }
    uint64_t End() const { return offset + size; }
};

class CQuickTimeReader : public IVorlatFormatReader {
public:
    CQuickTimeReader(IVorlatStream* stream, IVorlatTagControl* tags) : stream_(stream), tags_(tags) {}

    // Loads the whole preview into the image of BeginLoadImage in one step.
    IVorlatError* Execute() override;
    bool IsFinished() override { return imageLoaded_; }
    void GetProgress(int32_t* done, int32_t* total) override;
    IVorlatError* LoadTags() override;
    int32_t GetThumbnailCount() override { return 1; }
    IVorlatError* GetThumbnailColorSpace(int32_t index, int32_t* code) override;
    IVorlatError* GetThumbnailWidth(int32_t index, int32_t* width) override;
    IVorlatError* GetThumbnailHeight(int32_t index, int32_t* height) override;
    IVorlatError* LoadThumbnail(int32_t index, IVorlatImage* image) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image, uint32_t n) override;
    IVorlatError* BeginLoadImage(IVorlatImage* image) override;
    IVorlatError* LoadTileRow(int32_t row) override;

private:
    IVorlatError* ReadAt(uint64_t at, void* buffer, uint32_t bytes);
    // The atom at `at`, which must end by parentEnd.
    IVorlatError* ReadAtom(uint64_t at, uint64_t parentEnd, QuickTimeAtom* atom);
    // The top-level atoms: preview reference, preview picture, one skipped, the movie.
    IVorlatError* ReadLayout();
    IVorlatError* ReadPreviewSize(uint32_t offset, int32_t* value);
    IVorlatError* ReadMovieInformation();
    IVorlatError* ReadSampleDescription(const QuickTimeAtom& stsd);
    IVorlatError* ReadUserData(const QuickTimeAtom& udta);
    IVorlatError* LoadPreview(IVorlatImage* image);

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    IVorlatImage* image_ = nullptr;
    bool layoutRead_ = false;
    QuickTimeAtom preview_;  // its offset is P
    QuickTimeAtom third_;
    QuickTimeAtom movie_;    // M
    bool tagsLoaded_ = false;
    bool imageLoaded_ = false;
};

} // namespace quarnite
