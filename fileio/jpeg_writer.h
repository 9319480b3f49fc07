// The JPEG format writer behind the saver (JFIF JPEG, 0x10), and the segment
// writers that the update shares with it.
#pragma once

#include <cstdint>

#include "fileio/VorlatFormat.h"
#include "fileio/jpeg_encoder.h"

namespace quarnite {

// Quality level of a JFXX thumbnail made anew by an update.
constexpr int32_t kJfxxThumbnailLevel = 4;

IVorlatFormatWriter* CreateJpegWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option);

// The ICC profile of tag 0x8773 (its bytes, or the file it names) in chunks of
// at most 65517 bytes, one APP2 segment each; nothing without the tag.
IVorlatError* WriteIccSegments(IVorlatStream* out, IVorlatTagControl* tags);
// An APP0 JFXX segment holding the source coded as a complete JPEG stream.
IVorlatError* WriteJfxxSegment(IVorlatStream* out, IVorlatDataSource* source, int32_t level);

class CJpegWriter : public IVorlatFormatWriter {
public:
    CJpegWriter(IVorlatStream* stream, IVorlatTagControl* tags, int32_t format, int32_t option);
    ~CJpegWriter() override;

    IVorlatError* Execute() override;
    bool IsFinished() override { return encoder_ == nullptr; }
    void GetProgress(int32_t* done, int32_t* total) override;
    IVorlatError* BeginSave(IVorlatDataSource* source, IVorlatDataSource** sources, uint32_t n) override;

private:
    IVorlatError* WriteJfifSegment(IVorlatDataSource* source);
    IVorlatError* WriteExifSegment(IVorlatDataSource* source);

    IVorlatStream* stream_;
    IVorlatTagControl* tags_;
    int32_t format_;
    int32_t option_;
    IVorlatDataSource* thumbnails_[2] = {};
    uint32_t start_ = 0;
    CJpegEncoder* encoder_ = nullptr;
};

} // namespace quarnite
