// The JPEG writer through the saver, and the update that copies a file with new metadata.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_reader.h"
#include "fileio/jpeg_writer.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

namespace {

using Bytes = std::vector<uint8_t>;

struct Store {
    IVorlatTagControl* tags = nullptr;
    Store() { EXPECT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags))); }
    ~Store() { tags->Destroy(); }
    void SetProfile(size_t size)
    {
        Bytes profile(size);
        for (size_t i = 0; i < size; ++i)
            profile[i] = static_cast<uint8_t>(i * 7);
        ASSERT_EQ(0, Cause(tags->AddTag(0x8773)));
        ASSERT_EQ(0, Cause(tags->SetTagValue(0x8773, kTagTypeBytes, static_cast<uint32_t>(size), profile.data(), 0)));
    }
    void SetIptc(const Bytes& block)
    {
        ASSERT_EQ(0, Cause(tags->AddTag(0x83BB)));
        TagItemRequest request = {1, static_cast<uint32_t>(block.size()), const_cast<uint8_t*>(block.data())};
        ASSERT_EQ(0, Cause(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    }
};

// The markers and lengths of a file's segments up to and including SOS.
std::vector<std::pair<uint32_t, uint32_t>> Markers(const Bytes& file)
{
    std::vector<std::pair<uint32_t, uint32_t>> out;
    size_t at = 2;
    while (at + 4 <= file.size()) {
        const uint32_t marker = file[at] << 8 | file[at + 1];
        const uint32_t length = file[at + 2] << 8 | file[at + 3];
        out.push_back({marker, length});
        at += 2 + length;
        if (marker == 0xFFDA)
            break;
    }
    return out;
}

Bytes Save(Pipeline& pipeline, const Pixels& pixels, IVorlatTagControl* tags, int32_t format, int32_t level,
           int32_t* error, IVorlatImage* thumbnail = nullptr, double resolution = 72)
{
    Memory out(Bytes(pixels.data.size() * 4 + (1 << 18), 0), false);
    CJpegWriter writer(out.get(), tags, format, level);
    IVorlatImage* image = pipeline.ImageOf(pixels);
    EXPECT_EQ(0, Cause(image->SetResolution(resolution)));
    IVorlatDataSource* sources[1] = {thumbnail};
    *error = Cause(writer.BeginSave(image, sources, thumbnail ? 1 : 0));
    while (!*error && !writer.IsFinished())
        *error = Cause(writer.Execute());
    image->Destroy();
    return *error ? Bytes() : out.Written();
}

} // namespace

// JFIF: SOI, APP0 JFIF, APP0 JFXX, APP1 Exif, the ICC chunks and APP13, in
// that order; the Exif block follows the APP0 segments that must lead the file.
TEST(JpegWriter, WritesJfifWithThumbnailExifProfileAndIptcInOrder)
{
    Pipeline pipeline;
    Store store;
    store.SetProfile(65518);
    store.SetIptc({0x1C, 0x02, 0x78, 0x00, 0x03, 'a', 'b', 'c'});
    ASSERT_EQ(0, Cause(store.tags->AddTag(0x10F)));
    ASSERT_EQ(0, Cause(store.tags->SetTagValue(0x10F, kTagTypeText, 6, "Maker", 0)));
    IVorlatImage* thumbnail = pipeline.ImageOf(MakePhoto(16, 12, 3, 1));
    int32_t error = -1;
    const Pixels source = MakePhoto(40, 30, 3, 3);
    const Bytes file = Save(pipeline, source, store.tags, kFormatJpeg, 3, &error, thumbnail, 299.9);
    thumbnail->Destroy();
    ASSERT_EQ(0, error);
    const auto markers = Markers(file);
    ASSERT_GE(markers.size(), 8u);
    EXPECT_EQ(0xFFE0u, markers[0].first);
    EXPECT_EQ(16u, markers[0].second);
    EXPECT_EQ(0, std::memcmp(file.data() + 6, "JFIF\0", 5));
    EXPECT_EQ(299, file[2 + 12] << 8 | file[2 + 13]);  // density truncated
    EXPECT_EQ(0xFFE0u, markers[1].first);
    EXPECT_EQ(0, std::memcmp(file.data() + 2 + 18 + 4, "JFXX\0", 5));
    EXPECT_EQ(0xFFE1u, markers[2].first);
    const size_t exifAt = 2 + 18 + 2 + markers[1].second;
    EXPECT_EQ(0, std::memcmp(file.data() + exifAt + 4, "Exif\0\0", 6));
    EXPECT_EQ(0xFFE2u, markers[3].first);
    EXPECT_EQ(65533u, markers[3].second);
    EXPECT_EQ(0xFFE2u, markers[4].first);
    EXPECT_EQ(17u, markers[4].second);  // the one byte left
    EXPECT_EQ(0xFFEDu, markers[5].first);
    EXPECT_EQ(0xFFDBu, markers[6].first);

    // Read back: the thumbnail, the Exif tags, the profile and the pixels.
    Memory in(file);
    Store back;
    CJpegReader reader(in.get(), back.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_EQ(1, reader.GetThumbnailCount());
    EXPECT_EQ(6u, back.tags->GetTagSize(0x10F, 0));
    EXPECT_EQ(65518u, back.tags->GetTagSize(0x8773, 0));
    EXPECT_TRUE(back.tags->IsExist(0x83BB, 0));
    EXPECT_GE(Psnr(source, Decode(pipeline, file).pixels), 35.0);

    // A grey JFIF file and one without a tag store carry the block as well.
    for (int32_t channels : {1, 3}) {
        const Bytes plain = Save(pipeline, MakePhoto(9, 9, channels, 1), nullptr, kFormatJpeg, 5, &error);
        ASSERT_EQ(0, error);
        const auto segments = Markers(plain);
        ASSERT_GE(segments.size(), 3u);
        EXPECT_EQ(0xFFE0u, segments[0].first);
        EXPECT_EQ(0xFFE1u, segments[1].first);
        EXPECT_EQ(0xFFDBu, segments[2].first);
        const Decoded decoded = Decode(pipeline, plain);
        ASSERT_EQ(0, decoded.error);
        EXPECT_EQ(channels, decoded.pixels.channels);
    }
}

TEST(JpegWriter, RefusesWhatItCannotWrite)
{
    Pipeline pipeline;
    int32_t error = 0;
    Save(pipeline, MakePhoto(8, 8, 1, 1), nullptr, kFormatExifJpeg, 3, &error);
    EXPECT_EQ(kErrBadArgument, error);  // Exif JPEG is colour only
    Save(pipeline, MakePhoto(8, 8, 3, 1), nullptr, 0x40, 3, &error);
    EXPECT_EQ(kErrBadArgument, error);
    Save(pipeline, MakePhoto(8, 8, 3, 1), nullptr, kFormatJpeg, 6, &error);
    EXPECT_EQ(kErrBadArgument, error);
}

namespace {
void SetText(IVorlatTagControl* tags, TagId id, const std::string& text)
{
    EXPECT_EQ(0, Cause(tags->AddTag(id)));
    EXPECT_EQ(0, Cause(tags->SetTagValue(id, kTagTypeText, static_cast<uint32_t>(text.size() + 1), text.c_str(), 0)));
}
} // namespace

// Exif JPEG: SOI, the Exif block made by the TIFF writer, then the coded image;
// the block reads back through the reader with its tags and thumbnail.
TEST(JpegWriter, WritesExifJpegThatReadsBack)
{
    Pipeline pipeline;
    Store store;
    SetText(store.tags, 0x10F, "Maker");
    SetText(store.tags, 0x9003, "2024:01:02 03:04:05");
    IVorlatImage* thumbnail = pipeline.ImageOf(MakePhoto(32, 24, 3, 1));
    int32_t error = -1;
    const Pixels source = MakePhoto(40, 30, 3, 3);
    const Bytes file = Save(pipeline, source, store.tags, kFormatExifJpeg, 3, &error, thumbnail);
    thumbnail->Destroy();
    ASSERT_EQ(0, error);
    const auto markers = Markers(file);
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(0xFFE1u, markers[0].first);
    EXPECT_EQ(0, std::memcmp(file.data() + 6, "Exif\0\0", 6));
    EXPECT_EQ(0xFFDBu, markers[1].first);

    Memory in(file);
    Store back;
    CJpegReader reader(in.get(), back.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    for (TagId id : {TagId{0x10F}, TagId{0x9003}})
        EXPECT_EQ(store.tags->GetTagSize(id, 0), back.tags->GetTagSize(id, 0)) << id;
    ASSERT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(32, width);
    EXPECT_GE(Psnr(source, Decode(pipeline, file).pixels), 35.0);
}

// An Exif block that one segment cannot hold fails the save, and the stream
// goes back to where the file began.
TEST(JpegWriter, ExifBlockTooLargeFailsAtTheStart)
{
    Pipeline pipeline;
    Store store;
    SetText(store.tags, 0x10E, std::string(70000, 'x'));
    IVorlatImage* image = pipeline.ImageOf(MakePhoto(16, 16, 3, 3));
    for (int32_t format : {kFormatExifJpeg, kFormatJpeg}) {
        Memory out(Bytes(1 << 20, 0), false);
        const uint8_t lead[3] = {1, 2, 3};
        ASSERT_EQ(0, Cause(out.get()->SaveFromMemory(lead, 3)));
        {
            CJpegWriter writer(out.get(), store.tags, format, 3);
            EXPECT_EQ(kErrJpegBlockTooLarge, Cause(writer.BeginSave(image, nullptr, 0))) << format;
        }
        int32_t at = -1;
        EXPECT_EQ(0, Cause(out.get()->Tell(&at)));
        EXPECT_EQ(3, at) << format;
    }
    image->Destroy();
}

TEST(JpegUpdate, CopiesTheScanAndPutsNewMetadataBeforeIt)
{
    Pipeline pipeline;
    const Bytes original = Encode(pipeline, MakePhoto(33, 21, 3, 5), 2);
    Memory in(original);
    Store store;
    CJpegReader reader(in.get(), store.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    store.SetProfile(65517);
    store.SetIptc({1, 2, 3, 4, 5, 6, 7});
    Memory out(Bytes(original.size() + (1 << 18), 0), false);
    ASSERT_EQ(0, Cause(reader.Update(out.get())));
    const Bytes updated = out.Written();
    const auto markers = Markers(updated);
    ASSERT_GE(markers.size(), 3u);
    const size_t sos = markers.size() - 1;
    EXPECT_EQ(0xFFDAu, markers[sos].first);
    EXPECT_EQ(0xFFEDu, markers[sos - 1].first);
    EXPECT_EQ(36u, markers[sos - 1].second);  // 7 bytes of IPTC and a pad byte
    EXPECT_EQ(0xFFE2u, markers[sos - 2].first);
    EXPECT_EQ(65533u, markers[sos - 2].second);
    // From the scan header on, the bytes are those of the input.
    size_t sosAt = 2;
    for (const auto& m : Markers(original))
        if (m.first != 0xFFDA)
            sosAt += 2 + m.second;
    const size_t fromOriginal = original.size() - sosAt;
    EXPECT_TRUE(std::equal(original.end() - static_cast<std::ptrdiff_t>(fromOriginal), original.end(),
                           updated.end() - static_cast<std::ptrdiff_t>(fromOriginal)));

    // Updating the updated file with a new profile replaces the old one, once.
    Memory again(updated);
    Store second;
    CJpegReader reread(again.get(), second.tags);
    ASSERT_EQ(0, Cause(reread.LoadTags()));
    EXPECT_EQ(65517u, second.tags->GetTagSize(0x8773, 0));
    second.SetProfile(100);
    Memory out2(Bytes(updated.size() + 4096, 0), false);
    ASSERT_EQ(0, Cause(reread.Update(out2.get())));
    size_t chunks = 0;
    for (const auto& m : Markers(out2.Written()))
        chunks += m.first == 0xFFE2;
    EXPECT_EQ(1u, chunks);
    EXPECT_EQ(0, MaxDifference(Decode(pipeline, original).pixels, Decode(pipeline, out2.Written()).pixels));
}

TEST(JpegUpdate, RefusesWithoutATagStoreOrAParsableFile)
{
    Pipeline pipeline;
    const Bytes original = Encode(pipeline, MakePhoto(16, 16, 1, 5), 2);
    Memory in(original);
    CJpegReader without(in.get(), nullptr);
    Memory out(Bytes(4096, 0), false);
    EXPECT_EQ(kErrState, Cause(without.Update(out.get())));
    EXPECT_TRUE(out.Written().empty());
    Bytes broken = original;
    broken[3] = 0xC2;  // the first segment becomes a progressive frame header
    Memory bad(broken);
    Store store;
    CJpegReader reader(bad.get(), store.tags);
    EXPECT_EQ(kErrJpegMarker, Cause(reader.CheckUpdate()));
}

TEST(JpegUpdate, RewritesTheIptcResourceAndKeepsTheOthers)
{
    Pipeline pipeline;
    const Bytes plain = Encode(pipeline, MakePhoto(16, 16, 1, 5), 4);
    auto resource = [](uint16_t id, const Bytes& data) {
        Bytes out = {'8', 'B', 'I', 'M', static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id), 0, 0, 0, 0, 0,
                     static_cast<uint8_t>(data.size())};
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() % 2)
            out.push_back(0);
        return out;
    };
    Bytes body = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0};
    const Bytes first = resource(0x0404, {9, 9, 9});
    const Bytes other = resource(0x03ED, {1, 2, 3, 4});
    body.insert(body.end(), first.begin(), first.end());
    body.insert(body.end(), other.begin(), other.end());
    Bytes file = {0xFF, 0xD8, 0xFF, 0xED, static_cast<uint8_t>((body.size() + 2) >> 8), static_cast<uint8_t>(body.size() + 2)};
    file.insert(file.end(), body.begin(), body.end());
    file.insert(file.end(), plain.begin() + 2, plain.end());

    Memory in(file);
    Store store;
    CJpegReader reader(in.get(), store.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    store.SetIptc({5, 6, 7, 8});
    Memory out(Bytes(file.size() + 1024, 0), false);
    ASSERT_EQ(0, Cause(reader.Update(out.get())));
    const Bytes updated = out.Written();
    Bytes expected = {'P', 'h', 'o', 't', 'o', 's', 'h', 'o', 'p', ' ', '3', '.', '0', 0};
    const Bytes replaced = resource(0x0404, {5, 6, 7, 8});
    expected.insert(expected.end(), replaced.begin(), replaced.end());
    expected.insert(expected.end(), other.begin(), other.end());
    ASSERT_GT(updated.size(), 6 + expected.size());
    EXPECT_EQ(0xED, updated[3]);
    EXPECT_EQ(expected.size() + 2, static_cast<size_t>(updated[4] << 8 | updated[5]));
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), updated.begin() + 6));
}

// The first Exif segment is written anew from the current tags by the Exif
// reader; an XMP APP1 and the scan are copied unchanged.
TEST(JpegUpdate, RewritesTheExifSegmentAndCopiesOtherApp1)
{
    Pipeline pipeline;
    Store store;
    SetText(store.tags, 0x10F, "Maker");
    IVorlatImage* thumbnail = pipeline.ImageOf(MakePhoto(32, 24, 3, 1));
    int32_t error = -1;
    Bytes file = Save(pipeline, MakePhoto(40, 30, 3, 3), store.tags, kFormatExifJpeg, 3, &error, thumbnail);
    thumbnail->Destroy();
    ASSERT_EQ(0, error);
    const size_t exifEnd = 4 + Markers(file)[0].second;
    const std::string xmpText = "http://ns.adobe.com/xap/1.0/";
    Bytes xmp = {0xFF, 0xE1, 0, static_cast<uint8_t>(2 + xmpText.size() + 6)};
    xmp.insert(xmp.end(), xmpText.begin(), xmpText.end());
    xmp.insert(xmp.end(), {0, '<', 'x', '/', '>', ' '});
    file.insert(file.begin() + static_cast<std::ptrdiff_t>(exifEnd), xmp.begin(), xmp.end());

    Memory in(file);
    Store tags;
    CJpegReader reader(in.get(), tags.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    SetText(tags.tags, 0x10F, "A longer maker name");
    Memory out(Bytes(1 << 20, 0), false);
    ASSERT_EQ(0, Cause(reader.Update(out.get())));
    const Bytes updated = out.Written();

    EXPECT_NE(updated.end(), std::search(updated.begin(), updated.end(), xmp.begin(), xmp.end()));
    const size_t scan = file.size() - 200;
    ASSERT_GT(updated.size(), 200u);
    EXPECT_TRUE(std::equal(file.begin() + static_cast<std::ptrdiff_t>(scan), file.end(), updated.end() - 200));
    const auto markers = Markers(updated);
    ASSERT_GE(markers.size(), 2u);
    EXPECT_EQ(0xFFE1u, markers[0].first);
    EXPECT_EQ(0xFFE1u, markers[1].first);

    Memory again(updated);
    Store back;
    CJpegReader second(again.get(), back.tags);
    ASSERT_EQ(0, Cause(second.LoadTags()));
    EXPECT_EQ(tags.tags->GetTagSize(0x10F, 0), back.tags->GetTagSize(0x10F, 0));
    EXPECT_EQ(1, second.GetThumbnailCount());
}

namespace {
// A whole segment: marker, length and body.
Bytes Segment(uint32_t marker, const Bytes& body)
{
    Bytes out = {static_cast<uint8_t>(marker >> 8), static_cast<uint8_t>(marker),
                 static_cast<uint8_t>((body.size() + 2) >> 8), static_cast<uint8_t>(body.size() + 2)};
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

Bytes Text(const char* text, size_t size) { return Bytes(text, text + size); }

// The file with the segments put right after its SOI.
Bytes WithSegments(const Bytes& file, std::initializer_list<Bytes> segments)
{
    Bytes out(file.begin(), file.begin() + 2);
    for (const Bytes& s : segments)
        out.insert(out.end(), s.begin(), s.end());
    out.insert(out.end(), file.begin() + 2, file.end());
    return out;
}

// The bodies of the segments before the scan, in order.
std::vector<std::pair<uint32_t, Bytes>> Bodies(const Bytes& file)
{
    std::vector<std::pair<uint32_t, Bytes>> out;
    size_t at = 2;
    for (const auto& [marker, length] : Markers(file)) {
        out.push_back({marker, Bytes(file.begin() + static_cast<std::ptrdiff_t>(at + 4),
                                     file.begin() + static_cast<std::ptrdiff_t>(at + 2 + length))});
        at += 2 + length;
    }
    return out;
}

// IFD 0 and the Exif IFD of the first Exif segment: tag to the first value of
// each SHORT or LONG entry.
struct ExifDirectories {
    bool found = false;
    std::map<uint16_t, uint32_t> ifd0, exif;
};

ExifDirectories ReadExifDirectories(const Bytes& file)
{
    ExifDirectories out;
    Bytes tiff;
    for (const auto& [marker, body] : Bodies(file))
        if (marker == 0xFFE1 && body.size() > 14 && std::memcmp(body.data(), "Exif\0\0", 6) == 0) {
            tiff.assign(body.begin() + 6, body.end());
            break;
        }
    if (tiff.empty())
        return out;
    const bool big = tiff[0] == 'M';
    auto get = [&](size_t at, int bytes) {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(tiff.at(at + i)) << (8 * (big ? bytes - 1 - i : i));
        return v;
    };
    auto read = [&](uint32_t offset, std::map<uint16_t, uint32_t>* entries) {
        for (uint32_t i = 0, n = get(offset, 2); i < n; ++i) {
            const size_t at = offset + 2 + 12 * i;
            const uint32_t type = get(at + 2, 2);
            if (type == 3 || type == 4)
                (*entries)[static_cast<uint16_t>(get(at, 2))] = get(at + 8, type == 3 ? 2 : 4);
        }
    };
    out.found = true;
    read(get(4, 4), &out.ifd0);
    if (out.ifd0.count(34665))
        read(out.ifd0[34665], &out.exif);
    return out;
}

void SetOrientation(IVorlatTagControl* tags, bool mirrored, double rotation)
{
    const uint32_t flip = mirrored ? 1 : 0;
    ASSERT_EQ(0, Cause(tags->AddTag(kTagFlip)));
    ASSERT_EQ(0, Cause(tags->SetTagValue(kTagFlip, kTagTypeLongs, 4, &flip, 0)));
    ASSERT_EQ(0, Cause(tags->AddTag(kTagRotation)));
    ASSERT_EQ(0, Cause(tags->SetTagValue(kTagRotation, kTagTypeDoubles, 8, &rotation, 0)));
}

std::string TextOf(IVorlatTagControl* tags, TagId id)
{
    if (!tags->IsExist(id, 0))
        return "(none)";
    std::string text(tags->GetTagSize(id, 0), '\0');
    EXPECT_EQ(0, Cause(tags->GetTagValue(id, kTagTypeText, static_cast<uint32_t>(text.size()), text.data(), 0)));
    return text.c_str();
}

std::string Caption(IVorlatTagControl* tags)
{
    if (!tags->IsExist(0x83BB, 0))
        return "(none)";
    TagItemRequest request = {kTagIptcCaption, 0, nullptr};
    EXPECT_EQ(0, Cause(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    std::vector<char> text(request.size + 1, '\0');
    request.data = text.data();
    EXPECT_EQ(0, Cause(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    return text.data();
}

// The file read into a new store, updated after `change` edited the store.
template <typename Change>
Bytes Updated(const Bytes& file, Change change)
{
    Memory in(file);
    Store store;
    CJpegReader reader(in.get(), store.tags);
    EXPECT_EQ(0, Cause(reader.LoadTags()));
    change(store.tags);
    Memory out(Bytes(file.size() + (1 << 17), 0), false);
    EXPECT_EQ(0, Cause(reader.Update(out.get())));
    return out.Written();
}
} // namespace

// The orientation and the Exif image size stay in the Exif block of a saved
// file and of one updated with a changed tag: a metadata-only update must not
// turn the photograph back or lose its size.
TEST(JpegUpdate, KeepsTheOrientationAndTheExifImageSize)
{
    Pipeline pipeline;
    struct Case {
        int32_t format;
        bool mirrored;
        double rotation;
        uint32_t orientation;
    } cases[] = {
        {kFormatExifJpeg, false, 90, 6},
        {kFormatExifJpeg, true, 270, 7},
        {kFormatJpeg, false, 180, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "format " << c.format << ", orientation " << c.orientation);
        Store store;
        SetText(store.tags, 0x10F, "Maker");
        SetOrientation(store.tags, c.mirrored, c.rotation);
        int32_t error = -1;
        const Bytes file = Save(pipeline, MakePhoto(40, 30, 3, 3), store.tags, c.format, 3, &error);
        ASSERT_EQ(0, error);
        for (const Bytes& written : {file, Updated(file, [](IVorlatTagControl* tags) { SetText(tags, 0x13B, "Someone"); })}) {
            const ExifDirectories exif = ReadExifDirectories(written);
            ASSERT_TRUE(exif.found);
            EXPECT_EQ(c.orientation, exif.ifd0.count(274) ? exif.ifd0.at(274) : 0u);
            EXPECT_EQ(40u, exif.exif.count(0xA002) ? exif.exif.at(0xA002) : 0u);
            EXPECT_EQ(30u, exif.exif.count(0xA003) ? exif.exif.at(0xA003) : 0u);
        }
        // Read back, the orientation is the one saved.
        Memory in(Updated(file, [](IVorlatTagControl*) {}));
        Store back;
        CJpegReader reader(in.get(), back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        uint32_t flip = 9;
        double rotation = -1;
        EXPECT_EQ(0, Cause(back.tags->GetTagValue(kTagFlip, kTagTypeLongs, 4, &flip, 0)));
        EXPECT_EQ(0, Cause(back.tags->GetTagValue(kTagRotation, kTagTypeDoubles, 8, &rotation, 0)));
        EXPECT_EQ(c.mirrored ? 1u : 0u, flip);
        EXPECT_EQ(c.rotation, rotation);
    }
}

// A file without an Exif segment gets one when the store holds tags for it,
// after SOI and the APP0 segments that must lead the file and before every
// other segment; a store without such tags adds none.
TEST(JpegUpdate, MakesTheExifSegmentOfAFileWithoutOne)
{
    Pipeline pipeline;
    const Bytes plain = Encode(pipeline, MakePhoto(24, 16, 3, 2), 3);
    const Bytes jfif = Segment(0xFFE0, {'J', 'F', 'I', 'F', 0, 1, 2, 1, 0, 72, 0, 72, 0, 0});
    const Bytes jfxx = Segment(0xFFE0, {'J', 'F', 'X', 'X', 0, 0x12, 1, 1, 10, 20, 30});
    const Bytes comment = Segment(0xFFFE, Text("note", 4));
    struct Case {
        const char* name;
        Bytes file;
        bool artist;
        std::vector<uint32_t> markers;  // up to the quantisation tables
    } cases[] = {
        {"SOI only", plain, true, {0xFFE1}},
        {"JFIF, JFXX and a comment", WithSegments(plain, {jfif, jfxx, comment}), true, {0xFFE0, 0xFFE0, 0xFFE1, 0xFFFE}},
        {"comment first", WithSegments(plain, {comment, jfif}), true, {0xFFE1, 0xFFFE, 0xFFE0}},
        {"no tag for Exif", WithSegments(plain, {jfif, comment}), false, {0xFFE0, 0xFFFE}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes updated = Updated(c.file, [&](IVorlatTagControl* tags) {
            if (c.artist)
                SetText(tags, 0x13B, "Someone");
        });
        std::vector<uint32_t> markers;
        for (const auto& m : Markers(updated))
            if (m.first != 0xFFDB)
                markers.push_back(m.first);
            else
                break;
        EXPECT_EQ(c.markers, markers);
        Memory in(updated);
        Store back;
        CJpegReader reader(in.get(), back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        EXPECT_EQ(c.artist ? "Someone" : "(none)", TextOf(back.tags, 0x13B));
        if (c.artist) {
            const ExifDirectories exif = ReadExifDirectories(updated);
            EXPECT_EQ(24u, exif.exif.count(0xA002) ? exif.exif.at(0xA002) : 0u);
            EXPECT_EQ(16u, exif.exif.count(0xA003) ? exif.exif.at(0xA003) : 0u);
        }
        EXPECT_EQ(0, MaxDifference(Decode(pipeline, c.file).pixels, Decode(pipeline, updated).pixels));
    }
}

// The IPTC block is read from its resource wherever it stands in the
// Photoshop segment, and an update replaces that resource in place, name
// kept, while every other resource goes over byte for byte.
TEST(JpegUpdate, FindsAndReplacesTheIptcResourceWhereverItStands)
{
    Pipeline pipeline;
    const Bytes plain = Encode(pipeline, MakePhoto(16, 16, 1, 5), 4);
    auto resource = [](uint16_t id, const std::string& name, const Bytes& data) {
        Bytes out = {'8', 'B', 'I', 'M', static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id),
                     static_cast<uint8_t>(name.size())};
        out.insert(out.end(), name.begin(), name.end());
        if (name.size() % 2 == 0)
            out.push_back(0);
        for (int shift : {24, 16, 8, 0})
            out.push_back(static_cast<uint8_t>(data.size() >> shift));
        out.insert(out.end(), data.begin(), data.end());
        if (data.size() % 2)
            out.push_back(0);
        return out;
    };
    const Bytes oldIptc = {0x1C, 0x02, 0x78, 0x00, 0x03, 'O', 'l', 'd'};
    const Bytes resolution = resource(0x03ED, "", {0, 72, 0, 0, 0, 1, 0, 1, 0, 72, 0, 0, 0, 1, 0, 1});
    const Bytes other = resource(0x0425, "digest", Bytes(16, 7));
    const Bytes head = Text("Photoshop 3.0", 14);
    struct Case {
        const char* name;
        std::vector<Bytes> before, after;  // the resources around the IPTC one
        std::string iptcName;
    } cases[] = {
        {"first", {}, {resolution}, ""},
        {"second", {resolution}, {}, ""},
        {"between two, named", {resolution}, {other}, "abc"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto segment = [&](const Bytes& iptc) {
            Bytes body = head;
            for (const Bytes& r : c.before)
                body.insert(body.end(), r.begin(), r.end());
            const Bytes own = resource(0x0404, c.iptcName, iptc);
            body.insert(body.end(), own.begin(), own.end());
            for (const Bytes& r : c.after)
                body.insert(body.end(), r.begin(), r.end());
            return body;
        };
        const Bytes file = WithSegments(plain, {Segment(0xFFED, segment(oldIptc))});
        Bytes newIptc;
        const Bytes updated = Updated(file, [&](IVorlatTagControl* tags) {
            EXPECT_EQ("Old", Caption(tags));
            const std::string text = "New caption";
            TagItemRequest request{kTagIptcCaption, static_cast<uint32_t>(text.size() + 1), const_cast<char*>(text.c_str())};
            ASSERT_EQ(0, Cause(tags->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
            TagItemRequest raw{1, 0, nullptr};
            ASSERT_EQ(0, Cause(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof raw, &raw, 0)));
            newIptc.resize(raw.size);
            raw.data = newIptc.data();
            ASSERT_EQ(0, Cause(tags->GetTagValue(0x83BB, kTagTypeIptc, sizeof raw, &raw, 0)));
        });
        const auto bodies = Bodies(updated);
        ASSERT_FALSE(bodies.empty());
        EXPECT_EQ(0xFFEDu, bodies[0].first);
        EXPECT_EQ(segment(newIptc), bodies[0].second);
        Memory in(updated);
        Store back;
        CJpegReader reader(in.get(), back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        EXPECT_EQ("New caption", Caption(back.tags));
    }
}

// Only the ICC profile's own APP2 segments are replaced (by the current
// profile, where the first of them stood); every other APP2 goes over as it is.
TEST(JpegUpdate, ReplacesOnlyTheProfileAmongTheApp2Segments)
{
    Pipeline pipeline;
    const Bytes plain = Encode(pipeline, MakePhoto(16, 16, 3, 5), 4);
    const Bytes mpf = Segment(0xFFE2, {'M', 'P', 'F', 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x00, 0xB0, 7, 0, 4, 0,
                                       0, 0, '0', '1', '0', '0', 0, 0, 0, 0});
    const Bytes other = Segment(0xFFE2, Text("FPXR\0\0\1\2", 8));
    auto chunk = [](uint8_t sequence, uint8_t count) {
        Bytes body = Text("ICC_PROFILE", 12);
        body.insert(body.end(), {sequence, count, 'o', 'l', 'd'});
        return Segment(0xFFE2, body);
    };
    struct Case {
        const char* name;
        Bytes file;
        std::vector<std::string> app2;  // the identifiers of the APP2 segments written
    } cases[] = {
        {"profile between others", WithSegments(plain, {mpf, chunk(1, 2), chunk(2, 2), other}), {"MPF", "ICC_PROFILE", "FPXR"}},
        {"profile first", WithSegments(plain, {chunk(1, 1), mpf}), {"ICC_PROFILE", "MPF"}},
        {"no profile", WithSegments(plain, {mpf}), {"MPF", "ICC_PROFILE"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Bytes updated = Updated(c.file, [](IVorlatTagControl* tags) {
            ASSERT_EQ(0, Cause(tags->AddTag(0x8773)));
            ASSERT_EQ(0, Cause(tags->SetTagValue(0x8773, kTagTypeBytes, 3, "new", 0)));
        });
        std::vector<std::string> app2;
        for (const auto& [marker, body] : Bodies(updated))
            if (marker == 0xFFE2)
                app2.push_back(reinterpret_cast<const char*>(body.data()));
        EXPECT_EQ(c.app2, app2);
        for (const Bytes& kept : {mpf, other})
            EXPECT_EQ(std::search(c.file.begin(), c.file.end(), kept.begin(), kept.end()) != c.file.end(),
                      std::search(updated.begin(), updated.end(), kept.begin(), kept.end()) != updated.end());
        Memory in(updated);
        Store back;
        CJpegReader reader(in.get(), back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        char profile[4] = {};
        ASSERT_EQ(3u, back.tags->GetTagSize(0x8773, 0));
        EXPECT_EQ(0, Cause(back.tags->GetTagValue(0x8773, kTagTypeBytes, 3, profile, 0)));
        EXPECT_STREQ("new", profile);
    }
}

// An Exif IFD 0 that names no image part (no YCbCrPositioning, as some
// programs write it) still gives the JPEG's orientation and resolution, and an
// update keeps them.
TEST(JpegUpdate, KeepsTheOrientationOfAnExifBlockWithoutImageEntries)
{
    Pipeline pipeline;
    const Bytes plain = Encode(pipeline, MakePhoto(24, 16, 3, 2), 3);
    // IFD 0: Orientation 6, XResolution 300/1, ResolutionUnit inch.
    Bytes exif = Text("Exif\0\0II*\0\x08\0\0\0", 14);
    const Bytes ifd = {3, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0, 0x1A, 1, 5, 0, 1, 0, 0, 0, 50, 0, 0, 0,
                       0x28, 1, 3, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0x2C, 1, 0, 0, 1, 0, 0, 0};
    exif.insert(exif.end(), ifd.begin(), ifd.end());
    const Bytes file = WithSegments(plain, {Segment(0xFFE1, exif)});
    for (const Bytes& written : {file, Updated(file, [](IVorlatTagControl* tags) { SetText(tags, 0x13B, "Someone"); })}) {
        Memory in(written);
        Store back;
        CJpegReader reader(in.get(), back.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags()));
        double rotation = -1, resolution = -1;
        EXPECT_EQ(0, Cause(back.tags->GetTagValue(kTagRotation, kTagTypeDoubles, 8, &rotation, 0)));
        EXPECT_EQ(0, Cause(back.tags->GetTagValue(kTagResolution, kTagTypeDoubles, 8, &resolution, 0)));
        EXPECT_EQ(90.0, rotation);
        EXPECT_EQ(300.0, resolution);
    }
}
