// Movies made by ffmpeg, run as a program in the scratch folder. ffmpeg begins
// a movie with its file-type atom, never with a preview reference, so the
// loader's probes leave its movies alone. With that atom turned into a
// reference (the type bytes only), the rest lies as a camera's clip does: an
// empty "wide" or "free" atom where the preview picture would be, the media
// data, then the movie. The movie header's time and the first sample
// description become tags; ffmpeg's own user data (its text atoms for title,
// artist, comment and date, or an MP4 "meta" item list) is far shorter than
// the maker's record and gives none; the missing preview is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fileio/VorlatLoad.h"
#include "fileio/tests/fileio_fixture.h"
#include "fileio/tests/jpeg_test_util.h"
#include "fileio/tests/test_files.h"

using fileio_test::MemoryStream;
using fileio_test::Store;
using jpeg_test::Cause;
using fileio_test::ReadFile;
using fileio_test::QuietShell;

namespace {

using Bytes = std::vector<uint8_t>;

uint32_t Be32(const Bytes& b, size_t at)
{
    return static_cast<uint32_t>(b[at]) << 24 | static_cast<uint32_t>(b[at + 1]) << 16 |
           static_cast<uint32_t>(b[at + 2]) << 8 | static_cast<uint32_t>(b[at + 3]);
}

// The top-level atoms as type and size; ffmpeg writes 32-bit sizes only.
std::vector<std::pair<std::string, uint32_t>> TopAtoms(const Bytes& file)
{
    std::vector<std::pair<std::string, uint32_t>> atoms;
    for (size_t at = 0; at + 8 <= file.size();) {
        const uint32_t size = Be32(file, at);
        atoms.emplace_back(std::string(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                       file.begin() + static_cast<std::ptrdiff_t>(at + 8)),
                           size);
        if (size < 8)
            break;
        at += size;
    }
    return atoms;
}

} // namespace

TEST(QuickTimePeer, FfmpegMovieGivesItsTagsAndNoPreview)
{
    struct Case {
        const char* name;
        const char* options;  // ffmpeg output options
        const char* extension;
        int32_t width, height;
        const char* date;
        uint32_t quality;  // 0x80004: the sample description's spatial quality
        std::vector<uint32_t> bits;
    } cases[] = {
        {"Motion JPEG in a QuickTime movie", "-c:v mjpeg -metadata creation_time=2024-05-06T07:08:09Z", "mov", 64, 48,
         "2024:05:06 07:08:09", 0x42, {8, 8, 8, 0}},
        {"raw RGB, no creation time: a time before 1970", "-c:v rawvideo -pix_fmt rgb24", "mov", 50, 30,
         "1970:01:01 00:00:00", 0x45, {8, 8, 8, 0}},
        {"raw ARGB: depth 32", "-c:v rawvideo -pix_fmt argb -metadata creation_time=2003-02-01T04:05:06Z", "mov", 64,
         48, "2003:02:01 04:05:06", 0x45, {8, 8, 8, 8}},
        {"MPEG-4 in an MP4 file: no vendor, quality 0", "-c:v mpeg4 -metadata creation_time=1999-12-31T23:59:59Z",
         "mp4", 64, 48, "1999:12:31 23:59:59", 0x40, {8, 8, 8, 0}},
    };
    jpeg_test::Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = std::string(TESS_SCRATCH_DIR) + "/quicktime_peer." + c.extension;
        std::remove(path.c_str());
        ASSERT_EQ(0, QuietShell("ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc=size=" + std::to_string(c.width) +
                           "x" + std::to_string(c.height) + ":rate=5 -t 1 " + c.options +
                           " -metadata title=Gulls -metadata artist=Ann -metadata 'comment=At sea' -metadata date=2024 "
                           "-metadata genre=Folk -metadata 'copyright=(c) Ann' '" +
                           path + "'"));
        Bytes file = ReadFile(path);
        std::remove(path.c_str());

        // The layout the case means: file type, an empty atom, media data, movie.
        const auto atoms = TopAtoms(file);
        ASSERT_EQ(4u, atoms.size());
        EXPECT_EQ("ftyp", atoms[0].first);
        EXPECT_EQ(std::string(c.extension) == "mov" ? "wide" : "free", atoms[1].first);
        EXPECT_EQ(8u, atoms[1].second);
        EXPECT_EQ("mdat", atoms[2].first);
        EXPECT_EQ("moov", atoms[3].first);

        // As ffmpeg wrote it, no probe takes it.
        {
            MemoryStream in(file);
            IVorlatLoad* load = nullptr;
            ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
            EXPECT_EQ(1072, Cause(load->AttachStream(in.stream, nullptr, 0, 0)));
            load->DetachStream();
            load->Destroy();
        }

        std::copy_n("pnot", 4, file.begin() + 4);
        MemoryStream in(file);
        Store store;
        IVorlatLoad* load = nullptr;
        ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
        ASSERT_EQ(0, Cause(load->AttachStream(in.stream, store.tags, 0, 0)));
        IVorlatStorage::tagStrFileInfo info{};
        ASSERT_EQ(0, Cause(load->GetFileInformation(&info)));
        EXPECT_EQ(kFormatQuickTime, info.format);
        EXPECT_EQ(1, info.thumbnails);

        ASSERT_EQ(0, Cause(load->LoadTags()));
        EXPECT_EQ(c.date, store.Text(0x132));
        EXPECT_EQ(20u, store->GetTagSize(0x132, 0));
        EXPECT_EQ(std::vector<uint32_t>{c.quality}, store.Longs(0x80004));
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.width)}, store.Longs(kTagImageWidth));
        EXPECT_EQ(std::vector<uint32_t>{static_cast<uint32_t>(c.height)}, store.Longs(kTagImageHeight));
        EXPECT_EQ(std::vector<double>{72.0}, store.Doubles(kTagResolution));
        EXPECT_EQ(c.bits, store.Longs(0x102));
        // Nothing else: ffmpeg's texts are not the maker's record.
        EXPECT_EQ(6u, store->GetTagCount(0));

        // No preview picture: the empty atom holds no frame and no JPEG.
        int32_t value = 0;
        EXPECT_EQ(0, Cause(load->GetThumbnailColorSpace(1, &value)));
        EXPECT_EQ(32, value);
        EXPECT_EQ(1103, Cause(load->GetThumbnailWidth(1, &value)));
        EXPECT_EQ(1103, Cause(load->GetThumbnailHeight(1, &value)));
        IVorlatImage* thumbnail = pipeline.NewImage();
        EXPECT_EQ(1103, Cause(load->LoadThumbnail(1, thumbnail)));
        thumbnail->Destroy();
        IVorlatImage* image = pipeline.NewImage();
        ASSERT_EQ(0, Cause(load->BeginLoadImage(image)));
        EXPECT_EQ(1103, Cause(load->Execute()));
        EXPECT_FALSE(load->IsFinished());
        image->Destroy();
        load->DetachStream();
        load->Destroy();
    }
}
