// Pictures for the simulated camera, written by the file library's own
// writers, and the check that what arrived loads again.
#pragma once

#include "fileio/tests/test_files.h"
#include "fileio/tests/tiff_test_util.h"

#include <fstream>
#include <string>
#include <vector>

#include "app/camera/kavo_records.h"

namespace camera_test {

// The bytes the saver writes for the image in the format; option is the
// writer's (the JPEG quality level, 1 to 5).
inline std::vector<uint8_t> SaveImage(IVorlatTagControl* tags, int32_t format, int32_t option,
                                      const tiff_test::Image& image)
{
    tiff_test::Pipeline pipeline;
    fileio_test::MemoryStream out(std::vector<uint8_t>(image.bytes.size() * 2 + 65536, 0), false);
    out.stream->CloseStream();  // the saver opens it
    IVorlatImage* source = pipeline.ImageOf(image);
    IVorlatSave* save = nullptr;
    EXPECT_EQ(0, fileio_test::Cause(IVorlatSave::CreateSave(&save)));
    int32_t failure = fileio_test::Cause(save->AttachStream(out.stream, tags, format, option));
    if (!failure)
        failure = fileio_test::Cause(save->BeginSave(source, nullptr, 0));
    while (!failure && !save->IsFinished())
        failure = fileio_test::Cause(save->Execute());
    EXPECT_EQ(0, failure);
    std::vector<uint8_t> written = failure ? std::vector<uint8_t>() : out.Written();
    save->DetachStream();
    out.stream->OpenStream(true);  // the fixture closes it again
    save->Destroy();
    source->Destroy();
    return written;
}

// A small picture of the given boundary format (JPEG, TIFF or raw) in the file.
inline bool WritePicture(uint32_t format, const std::string& path)
{
    fileio_test::Store tags;
    std::vector<uint8_t> bytes;
    if (format == kKavoFormatRaw) {
        tiff_test::SetCfaPattern(tags.tags, {0, 1, 1, 2});
        bytes = SaveImage(tags.tags, kFormatRawTiff, 0, tiff_test::MakeImage(64, 40, 24));
    } else if (format == kKavoFormatJpeg) {
        bytes = SaveImage(tags.tags, kFormatExifJpeg, 3, tiff_test::MakeImage(32, 48, 32));
    } else {
        bytes = SaveImage(tags.tags, kFormatTiff, 0, tiff_test::MakeImage(32, 48, 32));
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return !bytes.empty() && out.good();
}

// The loader's error for the bytes (0 when they load), and the picture's size.
inline int32_t LoadPicture(const std::vector<uint8_t>& bytes, int32_t* width = nullptr, int32_t* height = nullptr)
{
    tiff_test::Pipeline pipeline;
    fileio_test::Store tags;
    const tiff_test::Loaded loaded = tiff_test::Load(pipeline, bytes, tags.tags);
    if (width)
        *width = loaded.image.width;
    if (height)
        *height = loaded.image.height;
    return loaded.error;
}

}  // namespace camera_test
