// The JPEG reader through the loader and directly: probing, the marker
// parser's refusals, the application segments and thumbnails, band and
// on-demand decoding.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fileio/VorlatLoad.h"
#include "fileio/VorlatTagControl.h"
#include "fileio/jpeg_error.h"
#include "fileio/jpeg_reader.h"
#include "fileio/tests/jpeg_test_util.h"

using namespace jpeg_test;
using namespace quarnite;

namespace {

using Bytes = std::vector<uint8_t>;

// A file as its marker segments (marker, then the bytes after the length), and the scan data.
struct Segments {
    std::vector<std::pair<uint32_t, Bytes>> list;
    Bytes scan;  // everything after the SOS segment

    explicit Segments(const Bytes& file)
    {
        size_t at = 2;
        while (at + 4 <= file.size()) {
            const uint32_t marker = file[at] << 8 | file[at + 1];
            const size_t length = file[at + 2] << 8 | file[at + 3];
            list.push_back({marker, Bytes(file.begin() + at + 4, file.begin() + at + 2 + length)});
            at += 2 + length;
            if (marker == 0xFFDA)
                break;
        }
        scan.assign(file.begin() + at, file.end());
    }
    Bytes Build() const
    {
        Bytes out = {0xFF, 0xD8};
        for (const auto& [marker, body] : list) {
            out.push_back(static_cast<uint8_t>(marker >> 8));
            out.push_back(static_cast<uint8_t>(marker));
            out.push_back(static_cast<uint8_t>((body.size() + 2) >> 8));
            out.push_back(static_cast<uint8_t>(body.size() + 2));
            out.insert(out.end(), body.begin(), body.end());
        }
        out.insert(out.end(), scan.begin(), scan.end());
        return out;
    }
    Bytes& Body(uint32_t marker)
    {
        for (auto& entry : list)
            if (entry.first == marker)
                return entry.second;
        static Bytes none;
        return none;
    }
    size_t Index(uint32_t marker) const
    {
        for (size_t i = 0; i < list.size(); ++i)
            if (list[i].first == marker)
                return i;
        return list.size();
    }
    void Insert(size_t index, uint32_t marker, Bytes body) { list.insert(list.begin() + index, {marker, body}); }
};

Bytes Text(const char* text, size_t size) { return Bytes(text, text + size); }

Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes SmallFile(Pipeline& pipeline, int32_t channels = 3, int32_t level = 4, int32_t width = 24, int32_t height = 16)
{
    return Encode(pipeline, MakePhoto(width, height, channels, 2), level);
}

struct Parsed {
    int32_t error = 0;
    int32_t thumbnails = 0;
    CJpegReader::Thumbnail thumbnail;
    double resolution = 0;
};

Parsed Parse(const Bytes& file, IVorlatTagControl* tags = nullptr)
{
    Memory in(file);
    CJpegReader reader(in.get(), tags);
    Parsed parsed;
    parsed.error = Cause(reader.LoadTags());
    parsed.thumbnails = reader.GetThumbnailCount();
    parsed.thumbnail = reader.GetThumbnail();
    parsed.resolution = reader.Resolution();
    return parsed;
}

struct Store {
    IVorlatTagControl* tags = nullptr;
    Store() { EXPECT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags))); }
    ~Store() { tags->Destroy(); }
};

} // namespace

TEST(JpegReader, ProbesByTheFirstDecidingMarker)
{
    Pipeline pipeline;
    const Bytes plain = SmallFile(pipeline);
    Segments app1(plain);
    app1.Insert(0, 0xFFE1, Text("http://ns.adobe.com/xap/1.0/", 29));  // not Exif, still decides
    Segments app0(plain);
    app0.Insert(0, 0xFFE0, Text("JFIF\0\1\2\0\0\1\0\1\0\0", 14));
    const struct {
        const char* name;
        Bytes file;
        int32_t format;
    } cases[] = {
        {"tables then scan", plain, kFormatJpeg},
        {"APP1 first", app1.Build(), kFormatExifJpeg},
        {"APP0 first", app0.Build(), kFormatJpeg},
        {"SOI and EOI", {0xFF, 0xD8, 0xFF, 0xD9}, kFormatJpeg},
        {"not a JPEG", {'I', 'I', 42, 0, 8, 0, 0, 0}, kFormatUnknown},
        {"one byte", {0xFF}, kFormatUnknown},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Memory in(c.file);
        int32_t format = kFormatUnknown;
        EXPECT_EQ(0, Cause(ProbeJpeg(in.get(), &format)));
        EXPECT_EQ(c.format, format);
    }
}

TEST(JpegReader, LoadsThroughTheLoaderWithTheFrameTags)
{
    Pipeline pipeline;
    const Pixels source = MakePhoto(70, 45, 3, 4);
    const Bytes file = Encode(pipeline, source, 3);
    Memory in(file);
    Store store;
    IVorlatLoad* load = nullptr;
    ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
    ASSERT_EQ(0, Cause(load->AttachStream(in.get(), store.tags, 0, 0)));
    int32_t format = 0;
    EXPECT_EQ(0, Cause(load->GetFormats(&format)));
    EXPECT_EQ(kFormatJpeg, format);
    EXPECT_EQ(0, Cause(load->LoadTags()));
    uint32_t value = 0;
    double resolution = 0;
    EXPECT_EQ(0, Cause(store.tags->GetTagValue(kTagImageWidth, kTagTypeLongs, 4, &value, 0)));
    EXPECT_EQ(70u, value);
    EXPECT_EQ(0, Cause(store.tags->GetTagValue(kTagImageHeight, kTagTypeLongs, 4, &value, 0)));
    EXPECT_EQ(45u, value);
    EXPECT_EQ(0, Cause(store.tags->GetTagValue(kTagColorSpace, kTagTypeLongs, 4, &value, 0)));
    EXPECT_EQ(32u, value);
    EXPECT_EQ(0, Cause(store.tags->GetTagValue(kTagResolution, kTagTypeDoubles, 8, &resolution, 0)));
    EXPECT_EQ(72.0, resolution);

    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(load->BeginLoadImage(image)));
    int32_t steps = 0;
    while (!load->IsFinished() && steps++ < 1000)
        ASSERT_EQ(0, Cause(load->Execute()));
    const Decoded direct = Decode(pipeline, file);
    EXPECT_EQ(0, MaxDifference(direct.pixels, Pipeline::PixelsOf(image)));
    image->Destroy();
    load->DetachStream();
    load->Destroy();
}

TEST(JpegReader, RefusesWhatABaselineReaderCannotRead)
{
    Pipeline pipeline;
    const Bytes grey = SmallFile(pipeline, 1);
    const Bytes color = SmallFile(pipeline, 3);
    struct Case {
        const char* name;
        Bytes file;
        int32_t error;
    };
    std::vector<Case> cases;
    auto edit = [&](const char* name, const Bytes& base, int32_t error, auto change) {
        Segments s(base);
        change(s);
        cases.push_back({name, s.Build(), error});
    };
    edit("progressive", color, kErrJpegMarker, [](Segments& s) { s.list[s.Index(0xFFC0)].first = 0xFFC2; });
    edit("arithmetic", color, kErrJpegMarker, [](Segments& s) { s.list[s.Index(0xFFC0)].first = 0xFFC9; });
    edit("12-bit samples", color, kErrJpegPrecision, [](Segments& s) { s.Body(0xFFC0)[0] = 12; });
    edit("four components", color, kErrJpegComponents, [](Segments& s) {
        Bytes& sof = s.Body(0xFFC0);
        sof[5] = 4;
        sof.insert(sof.end(), {4, 0x11, 1});
    });
    edit("two-component scan", color, kErrJpegScan, [](Segments& s) {
        Bytes& sos = s.Body(0xFFDA);
        sos = {2, 1, 0x00, 2, 0x11, 0, 63, 0};
    });
    edit("grey sampled 2x2", grey, kErrJpegScan, [](Segments& s) { s.Body(0xFFC0)[7] = 0x22; });
    edit("second frame header", grey, kErrJpegFrameHeader, [](Segments& s) {
        s.Insert(s.Index(0xFFC0), 0xFFC0, s.Body(0xFFC0));
    });
    edit("width 0", grey, kErrJpegFrameHeader, [](Segments& s) { s.Body(0xFFC0)[3] = s.Body(0xFFC0)[4] = 0; });
    edit("Huffman table without symbols", grey, kErrJpegHuffmanSegment, [](Segments& s) {
        s.Insert(s.Index(0xFFC4), 0xFFC4, Bytes(17 + 1, 0));  // 17 header bytes and one left over
    });
    edit("DC size above 15", grey, kErrJpegHuffmanSegment, [](Segments& s) {
        Bytes table(17, 0);
        table[1] = 1;  // one code of length 1
        table.push_back(16);
        s.Insert(s.Index(0xFFC4), 0xFFC4, table);
    });
    edit("end of image before a scan", grey, kErrJpegNoScan, [](Segments& s) {
        s.Insert(s.Index(0xFFDA), 0xFFD9, {});
        s.list[s.Index(0xFFD9)].second.clear();
    });
    edit("scan before the tables", grey, kErrJpegScanOrder, [](Segments& s) {
        const auto sos = s.list[s.Index(0xFFDA)];
        s.list.insert(s.list.begin(), sos);
    });
    edit("16-bit quantiser table", grey, kErrJpegQuantPrecision, [](Segments& s) { s.Body(0xFFDB)[0] = 0x10; });
    edit("five quantiser tables", grey, kErrJpegQuantCount, [](Segments& s) {
        Bytes four;
        for (int i = 0; i < 4; ++i)
            four.insert(four.end(), s.Body(0xFFDB).begin(), s.Body(0xFFDB).end());
        s.Insert(0, 0xFFDB, four);
    });
    edit("seven Huffman tables", grey, kErrJpegHuffmanCount, [](Segments& s) {
        Bytes all = s.Body(0xFFC4);
        for (int i = 0; i < 2; ++i)
            all.insert(all.end(), s.Body(0xFFC4).begin(), s.Body(0xFFC4).end());
        all.insert(all.end(), s.Body(0xFFC4).begin(), s.Body(0xFFC4).begin() + 29);  // a seventh
        s.Insert(0, 0xFFC4, all);
    });
    edit("short restart interval", grey, kErrJpegRestartSegment, [](Segments& s) { s.Insert(0, 0xFFDD, {0}); });
    edit("unknown APP0", grey, kErrJpegSegment, [](Segments& s) { s.Insert(0, 0xFFE0, Text("AVI1\0\0\0", 7)); });
    edit("scan component not in the frame", grey, kErrJpegScanComponent, [](Segments& s) { s.Body(0xFFDA)[1] = 9; });
    edit("missing AC table", grey, kErrJpegNoHuffmanTable, [](Segments& s) { s.Body(0xFFDA)[2] = 0x03; });

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Memory in(c.file);
        CJpegReader reader(in.get(), nullptr);
        EXPECT_EQ(c.error, Cause(reader.LoadTags()));
        EXPECT_EQ(0u, reader.ParseFlags());  // the next call parses again
        EXPECT_EQ(c.error, Cause(reader.LoadTags()));
    }
}

TEST(JpegReader, CommentsAndUnknownSegmentsArePassedOverAndALaterTableDoesNotReplace)
{
    Pipeline pipeline;
    const Bytes file = SmallFile(pipeline, 1);
    Segments s(file);
    s.Insert(0, 0xFFFE, Text("a comment", 9));
    s.Insert(0, 0xFFEE, Text("Adobe\0\0\0\0\0\0\0", 12));
    Bytes coarse = s.Body(0xFFDB);
    std::fill(coarse.begin() + 1, coarse.end(), 255);
    s.Insert(s.Index(0xFFDB) + 1, 0xFFDB, coarse);
    const Decoded a = Decode(pipeline, file);
    const Decoded b = Decode(pipeline, s.Build());
    ASSERT_EQ(0, b.error);
    EXPECT_EQ(0, MaxDifference(a.pixels, b.pixels));
}

TEST(JpegReader, JfifSegments)
{
    Pipeline pipeline;
    const Bytes file = SmallFile(pipeline, 3);
    auto jfif = [&](uint8_t units, uint16_t density, uint8_t tw, uint8_t th, size_t pixelBytes) {
        Bytes body = Text("JFIF\0\1\2", 7);
        body.push_back(units);
        body.insert(body.end(), {static_cast<uint8_t>(density >> 8), static_cast<uint8_t>(density),
                                 static_cast<uint8_t>(density >> 8), static_cast<uint8_t>(density), tw, th});
        for (size_t i = 0; i < pixelBytes; ++i)
            body.push_back(static_cast<uint8_t>(i * 20));
        Segments s(file);
        s.Insert(0, 0xFFE0, body);
        return s.Build();
    };
    Parsed p = Parse(jfif(2, 100, 0, 0, 0));
    EXPECT_EQ(0, p.error);
    EXPECT_EQ(254.0, p.thumbnail.resolution);
    EXPECT_EQ(0, p.thumbnails);
    p = Parse(jfif(0, 300, 0, 0, 0));
    EXPECT_EQ(72.0, p.thumbnail.resolution);  // untouched
    EXPECT_EQ(kErrJpegSegment, Parse(jfif(1, 300, 0, 10, 0)).error);
    EXPECT_EQ(kErrJpegSegment, Parse(jfif(1, 300, 2, 2, 11)).error);
    // A size whose bytes would wrap 16 bits is not taken for the bytes left.
    EXPECT_EQ(kErrJpegSegment, Parse(jfif(1, 300, 255, 255, 63)).error);
    // Density with a 0 x 0 thumbnail and bytes behind it: the segment is still left at its end.
    EXPECT_EQ(0, Parse(jfif(1, 300, 0, 0, 5)).error);

    const Bytes withThumbnail = jfif(1, 300, 2, 2, 12);
    p = Parse(withThumbnail);
    ASSERT_EQ(0, p.error);
    EXPECT_EQ(1, p.thumbnails);
    EXPECT_EQ(kThumbnailRgb, p.thumbnail.kind);
    EXPECT_EQ(2u + 2 + 16, p.thumbnail.offset);  // SOI, the marker, then 16 bytes from the length on
    Memory in(withThumbnail);
    CJpegReader reader(in.get(), nullptr);
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(1, image)));
    const Pixels thumb = Pipeline::PixelsOf(image);
    ASSERT_EQ(2, thumb.width);
    EXPECT_EQ(60, thumb.At(1, 0, 0));
    EXPECT_EQ(220, thumb.At(1, 1, 2));
    image->Destroy();
}

TEST(JpegReader, JfxxThumbnailsDecode)
{
    Pipeline pipeline;
    const Bytes main = SmallFile(pipeline, 3, 4, 40, 24);
    const Pixels small = MakePhoto(12, 9, 3, 8);
    const Bytes coded = Encode(pipeline, small, 5);
    Segments s(main);
    s.Insert(0, 0xFFE0, Concat({Text("JFXX\0\x10", 6), coded}));
    Bytes palette = Text("JFXX\0\x11\2\1", 8);
    for (int i = 0; i < 768; ++i)
        palette.push_back(static_cast<uint8_t>(i / 3));
    palette.insert(palette.end(), {7, 200});
    Segments p(main);
    p.Insert(0, 0xFFE0, palette);

    Memory in(s.Build());
    CJpegReader reader(in.get(), nullptr);
    ASSERT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0, height = 0, space = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailHeight(1, &height)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailColorSpace(1, &space)));
    EXPECT_EQ(12, width);
    EXPECT_EQ(9, height);
    EXPECT_EQ(32, space);
    EXPECT_EQ(kErrBadArgument, Cause(reader.GetThumbnailWidth(0, &width)));
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(1, image)));
    EXPECT_GE(Psnr(small, Pipeline::PixelsOf(image)), 40.0);
    // The main image still decodes after the thumbnail moved the stream.
    IVorlatImage* full = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.BeginLoadImage(full)));
    while (!reader.IsFinished())
        ASSERT_EQ(0, Cause(reader.Execute()));
    EXPECT_EQ(0, MaxDifference(Decode(pipeline, main).pixels, Pipeline::PixelsOf(full)));

    Memory in2(p.Build());
    CJpegReader indexed(in2.get(), nullptr);
    ASSERT_EQ(0, Cause(indexed.LoadThumbnail(1, image)));
    const Pixels two = Pipeline::PixelsOf(image);
    ASSERT_EQ(2, two.width);
    EXPECT_EQ(7, two.At(0, 0, 1));
    EXPECT_EQ(200, two.At(1, 0, 2));
    image->Destroy();
    full->Destroy();

    Memory none(main);
    CJpegReader without(none.get(), nullptr);
    EXPECT_EQ(0, without.GetThumbnailCount());
    EXPECT_EQ(kErrNotSupported, Cause(without.GetThumbnailWidth(1, &width)));
}

TEST(JpegReader, IccChunksJoinOnlyWhenConsecutiveFromOne)
{
    Pipeline pipeline;
    const Bytes file = SmallFile(pipeline, 1);
    auto chunk = [](uint8_t sequence, uint8_t count, const char* data) {
        return Concat({Text("ICC_PROFILE\0", 12), Bytes{sequence, count}, Text(data, std::strlen(data))});
    };
    struct Case {
        const char* name;
        std::vector<std::pair<uint32_t, Bytes>> segments;
        std::string profile;  // empty: no tag
    } cases[] = {
        {"three in a row", {{0xFFE2, chunk(1, 3, "ab")}, {0xFFE2, chunk(2, 3, "cd")}, {0xFFE2, chunk(3, 3, "e")}}, "abcde"},
        {"one of two, then a comment", {{0xFFE2, chunk(1, 2, "ab")}, {0xFFFE, Text("x", 1)}}, ""},
        {"second first", {{0xFFE2, chunk(2, 2, "ab")}}, ""},
        {"shorter than its header", {{0xFFE2, Text("ICC_PRO", 7)}}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Segments s(file);
        for (size_t i = 0; i < c.segments.size(); ++i)
            s.Insert(i, c.segments[i].first, c.segments[i].second);
        Store store;
        ASSERT_EQ(0, Parse(s.Build(), store.tags).error);
        const uint32_t size = store.tags->GetTagSize(0x8773, 0);
        std::string got(size, '\0');
        if (size) {
            EXPECT_EQ(0, Cause(store.tags->GetTagValue(0x8773, kTagTypeBytes, size, got.data(), 0)));
        }
        EXPECT_EQ(c.profile, got);
    }
}

TEST(JpegReader, PhotoshopSegmentGivesTheIptcBlockWhereverItStands)
{
    Pipeline pipeline;
    const Bytes file = SmallFile(pipeline, 1);
    const Bytes iptc = {0x1C, 0x02, 0x78, 0x00, 0x03, 'a', 'b', 'c'};
    auto resource = [&](uint16_t id, uint8_t nameLength, uint32_t size) {
        Bytes out = Concat({Text("8BIM", 4), Bytes{static_cast<uint8_t>(id >> 8), static_cast<uint8_t>(id)}});
        out.push_back(nameLength);
        for (int i = 0; i < nameLength + (nameLength % 2 == 0 ? 1 : 0); ++i)
            out.push_back('n');
        out.insert(out.end(), {static_cast<uint8_t>(size >> 24), static_cast<uint8_t>(size >> 16),
                               static_cast<uint8_t>(size >> 8), static_cast<uint8_t>(size)});
        out.insert(out.end(), iptc.begin(), iptc.end());
        return out;
    };
    const Bytes head = Text("Photoshop 3.0\0", 14);
    struct Case {
        const char* name;
        Bytes body;
        bool tag;
    } cases[] = {
        {"IPTC first", Concat({head, resource(0x0404, 0, 8)}), true},
        {"IPTC with an odd name", Concat({head, resource(0x0404, 3, 8)}), true},
        {"another resource first", Concat({head, resource(0x03ED, 0, 8), resource(0x0404, 0, 8)}), true},
        {"size beyond the segment", Concat({head, resource(0x0404, 0, 9000)}), false},
        {"name beyond the segment", Concat({head, Text("8BIM\4\4\xff", 7), Bytes(20, 0)}), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Segments s(file);
        s.Insert(0, 0xFFED, c.body);
        Store store;
        ASSERT_EQ(0, Parse(s.Build(), store.tags).error);
        EXPECT_EQ(c.tag, store.tags->IsExist(0x83BB, 0));
    }
}

TEST(JpegReader, XmpIsPassedOverAndTheOtherMetadataKept)
{
    Pipeline pipeline;
    Segments s(SmallFile(pipeline, 1));
    s.Insert(0, 0xFFE1, Text("http://ns.adobe.com/xap/1.0/\0<x/>", 34));
    s.Insert(1, 0xFFE2, Concat({Text("ICC_PROFILE\0\1\1", 14), Text("icc", 3)}));
    Store store;
    ASSERT_EQ(0, Parse(s.Build(), store.tags).error);
    EXPECT_EQ(3u, store.tags->GetTagSize(0x8773, 0));
}

TEST(JpegReader, ExecuteFinishesForEveryHeightAndSampling)
{
    Pipeline pipeline;
    for (int32_t level : {1, 2, 4})
        for (int32_t channels : {1, 3})
            for (int32_t height : {1, 7, 8, 9, 15, 17, 33, 300}) {
                SCOPED_TRACE(testing::Message() << "level " << level << " channels " << channels << " height " << height);
                const Pixels source = MakePhoto(19, height, channels, 6);
                const Bytes file = Encode(pipeline, source, level);
                for (int32_t scale : {1, 2, 4, 8}) {
                    const Decoded d = Decode(pipeline, file, scale);
                    ASSERT_EQ(0, d.error);
                    EXPECT_LT(d.steps, 1000);
                    EXPECT_EQ(std::max(1, height / scale), d.pixels.height);
                    EXPECT_EQ(19 / scale, d.pixels.width);
                    if (scale == 1) {
                        EXPECT_GE(Psnr(source, d.pixels), 28.0);
                    }
                }
            }
}

TEST(JpegReader, LoadTileRowDecodesAllFirstAndThenOnlyTheRowsAskedFor)
{
    Pipeline pipeline;
    const Pixels source = MakePhoto(300, 700, 1, 9);
    const Bytes file = Encode(pipeline, source, 2);
    const Decoded whole = Decode(pipeline, file);
    Memory in(file);
    CJpegReader reader(in.get(), nullptr);
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.BeginLoadImage(image)));
    int32_t tile = 0;
    ASSERT_EQ(0, Cause(image->GetTileSize(&tile)));
    ASSERT_LT(tile, 700);
    ASSERT_EQ(0, Cause(reader.LoadTileRow(1)));  // the first pass writes every row
    EXPECT_EQ(0, MaxDifference(whole.pixels, Pipeline::PixelsOf(image)));

    const int32_t rows = (700 + tile - 1) / tile;
    for (int32_t n : {rows - 1, 0, 1}) {
        SCOPED_TRACE(n);
        Pixels blank{300, 700, 1, std::vector<uint8_t>(300 * 700, 1)};
        const RECT all = {0, 0, 300, 700};
        ASSERT_EQ(0, Cause(image->SetData(blank.data.data(), 300, all)));
        ASSERT_EQ(0, Cause(reader.LoadTileRow(n)));
        const Pixels now = Pipeline::PixelsOf(image);
        for (int32_t y = 0; y < 700; y += 7) {
            const bool asked = y >= n * tile && y < (n + 1) * tile;
            EXPECT_EQ(asked ? whole.pixels.At(5, y) : 1, now.At(5, y)) << "row " << y;
        }
    }
    EXPECT_EQ(0, Cause(reader.LoadTileRow(rows)));  // past the last row: nothing
    image->Destroy();
}

// Drawing a cut file tile by tile: a tile whose rows lie past the end of the
// data never shows invented pixels, however often it is locked again.
TEST(JpegReader, EveryTileLockPastTheEndOfTheDataFails)
{
    struct Case {
        int32_t width, height, channels;
        int32_t keptPercent;  // of the entropy-coded data
    } cases[] = {
        {1024, 1024, 3, 0},  // more rows than one read of the stream holds
        {64, 48, 1, 0},
        {1024, 1024, 3, 50},
        {64, 48, 3, 60},
    };
    Pipeline pipeline;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " kept " << c.keptPercent << "%");
        const Bytes whole = Encode(pipeline, MakePhoto(c.width, c.height, c.channels, 3), 3);
        const Pixels intact = Decode(pipeline, whole).pixels;
        const size_t entropy = whole.size() - Segments(whole).scan.size();
        const Bytes cut(whole.begin(), whole.begin() + entropy + (whole.size() - entropy) * c.keptPercent / 100);

        Memory in(cut);
        IVorlatLoad* load = nullptr;
        ASSERT_EQ(0, Cause(IVorlatLoad::CreateLoad(&load)));
        ASSERT_EQ(0, Cause(load->AttachStream(in.get(), nullptr, 0, 0)));
        ASSERT_EQ(0, Cause(load->PrepareToLoad(pipeline.Manager())));
        auto* source = dynamic_cast<IVorlatDataSource*>(load);
        int32_t tile = 0, rowBytes = 0;
        ASSERT_EQ(0, Cause(source->GetTileSize(&tile)));
        ASSERT_EQ(0, Cause(source->GetRowBytes(&rowBytes)));
        ASSERT_GT(tile, 0);
        const int32_t columns = (c.width + tile - 1) / tile, rows = (c.height + tile - 1) / tile;
        for (int32_t round = 0; round < 2; ++round)
            for (int32_t row = 0; row < rows; ++row)
                for (int32_t column = 0; column < columns; ++column) {
                    SCOPED_TRACE(testing::Message() << "round " << round << " tile " << column << "," << row);
                    void* bits = nullptr;
                    const int32_t error = Cause(source->LockTile(&bits, column, row, nullptr));
                    if (c.keptPercent == 0 || row == rows - 1) {
                        EXPECT_EQ(1103, error);
                    } else if (round == 1 && row == 0) {
                        EXPECT_EQ(0, error);  // the rows before the cut stay readable
                    }
                    if (error) {
                        EXPECT_EQ(1103, error);
                        EXPECT_EQ(nullptr, bits);
                        continue;
                    }
                    const auto* pixels = static_cast<const uint8_t*>(bits);
                    int32_t wrong = 0;
                    for (int32_t y = row * tile; y < std::min(c.height, (row + 1) * tile); ++y)
                        for (int32_t x = column * tile; x < std::min(c.width, (column + 1) * tile); ++x)
                            for (int32_t k = 0; k < c.channels; ++k)
                                wrong += pixels[(y - row * tile) * rowBytes + (x - column * tile) * c.channels + k] !=
                                         intact.At(x, y, k);
                    EXPECT_EQ(0, wrong);
                    EXPECT_EQ(0, Cause(source->UnlockTile(column, row)));
                }
        load->DetachStream();
        load->Destroy();
    }
}

TEST(JpegReader, ComponentsNamedRgbAreStoredWithoutConversion)
{
    Pipeline pipeline;
    const Bytes file = SmallFile(pipeline, 3, 5);
    Segments s(file);
    Bytes& sof = s.Body(0xFFC0);
    Bytes& sos = s.Body(0xFFDA);
    for (int i = 0; i < 3; ++i)
        sof[6 + 3 * i] = sos[1 + 2 * i] = static_cast<uint8_t>(72 + i);
    const Pixels converted = Decode(pipeline, file).pixels;
    const Decoded raw = Decode(pipeline, s.Build());
    ASSERT_EQ(0, raw.error);
    for (int32_t y = 0; y < converted.height; y += 3)
        for (int32_t x = 0; x < converted.width; x += 3) {
            const double luma = 0.299 * converted.At(x, y, 0) + 0.587 * converted.At(x, y, 1) + 0.114 * converted.At(x, y, 2);
            EXPECT_NEAR(luma, raw.pixels.At(x, y, 0), 3.0);
        }
}

namespace {

// A little-endian Exif body: IFD 0 with Make, the Exif IFD with the time of
// shooting, the GPS IFD with the latitude reference, and IFD 1 with a JPEG thumbnail.
Bytes ExifBody(const char* make, const Bytes& thumbnail)
{
    Bytes b;
    auto u16 = [&](uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    auto entry = [&](uint32_t tag, uint32_t type, uint32_t count, uint32_t value) {
        u16(tag), u16(type), u32(count), u32(value);
    };
    b = Text("II*\0\x08\0\0\0", 8);
    u16(3), entry(0x10F, 2, 6, 50), entry(0x8769, 4, 1, 56), entry(0x8825, 4, 1, 94), u32(112);
    b.insert(b.end(), make, make + 6);
    u16(1), entry(0x9003, 2, 20, 74), u32(0);
    const Bytes date = Text("2024:01:02 03:04:05", 20);
    b.insert(b.end(), date.begin(), date.end());
    u16(1), entry(0x0001, 2, 2, 'N'), u32(0);
    u16(3), entry(0x103, 3, 1, 6), entry(0x201, 4, 1, 154), entry(0x202, 4, 1, uint32_t(thumbnail.size())), u32(0);
    b.insert(b.end(), thumbnail.begin(), thumbnail.end());
    return Concat({Text("Exif\0\0", 6), b});
}

std::string TagText(IVorlatTagControl* tags, TagId id)
{
    if (!tags->IsExist(id, 0))
        return "(none)";
    std::string text(tags->GetTagSize(id, 0), '\0');
    EXPECT_EQ(0, Cause(tags->GetTagValue(id, kTagTypeText, static_cast<uint32_t>(text.size()), text.data(), 0)));
    return text.c_str();
}

uint32_t TagLong(IVorlatTagControl* tags, TagId id)
{
    uint32_t value = 0;
    EXPECT_EQ(0, Cause(tags->GetTagValue(id, kTagTypeLongs, 4, &value, 0)));
    return value;
}

} // namespace

// The Exif segment is read by the TIFF reader: its tags reach the store and
// its thumbnail answers the thumbnail calls. Only the first Exif segment counts.
TEST(JpegReader, ExifSegmentGivesItsTagsAndThumbnail)
{
    Pipeline pipeline;
    const Bytes main = SmallFile(pipeline, 3, 4, 40, 24);
    const Pixels small = MakePhoto(16, 12, 3, 5);
    Segments s(main);
    s.Insert(0, 0xFFE1, ExifBody("Maker", Encode(pipeline, small, 5)));
    s.Insert(1, 0xFFE1, ExifBody("Other", Encode(pipeline, small, 5)));

    Store store;
    Memory in(s.Build());
    CJpegReader reader(in.get(), store.tags);
    ASSERT_EQ(0, Cause(reader.LoadTags()));
    EXPECT_EQ("Maker", TagText(store.tags, 0x10F));
    EXPECT_EQ("2024:01:02 03:04:05", TagText(store.tags, 0x9003));
    EXPECT_TRUE(store.tags->IsExist(0x30001, 0));  // the GPS directory's latitude reference
    EXPECT_EQ(40u, TagLong(store.tags, 0x10000));
    EXPECT_EQ(24u, TagLong(store.tags, 0x10001));
    EXPECT_EQ(32u, TagLong(store.tags, 0x10002));  // the frame's pixels, not the Exif directory's

    ASSERT_EQ(1, reader.GetThumbnailCount());
    int32_t width = 0, height = 0, space = 0;
    EXPECT_EQ(0, Cause(reader.GetThumbnailWidth(1, &width)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailHeight(1, &height)));
    EXPECT_EQ(0, Cause(reader.GetThumbnailColorSpace(1, &space)));
    EXPECT_EQ(16, width);
    EXPECT_EQ(12, height);
    EXPECT_EQ(32, space);
    EXPECT_EQ(kErrNotSupported, Cause(reader.GetThumbnailWidth(2, &width)));
    IVorlatImage* image = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.LoadThumbnail(1, image)));
    EXPECT_GE(Psnr(small, Pipeline::PixelsOf(image)), 40.0);
    IVorlatImage* full = pipeline.NewImage();
    ASSERT_EQ(0, Cause(reader.BeginLoadImage(full)));
    while (!reader.IsFinished())
        ASSERT_EQ(0, Cause(reader.Execute()));
    EXPECT_EQ(0, MaxDifference(Decode(pipeline, main).pixels, Pipeline::PixelsOf(full)));
    image->Destroy();
    full->Destroy();
}

// A broken Exif block costs its tags and thumbnail, never the image.
TEST(JpegReader, BrokenExifBlockLeavesTheImageReadable)
{
    Pipeline pipeline;
    const Bytes main = SmallFile(pipeline, 3, 4, 40, 24);
    const Bytes good = ExifBody("Maker", Encode(pipeline, MakePhoto(16, 12, 3, 5), 5));
    Bytes firstIfdPastEnd = good;
    firstIfdPastEnd[10] = 0xF0;
    Bytes firstIfdZero = good;
    firstIfdZero[10] = 0;
    Bytes cut = good;
    cut.resize(6 + 20);  // IFD 0 runs past the segment
    struct Case {
        const char* what;
        Bytes body;
    } const cases[] = {
        {"no TIFF header", Text("Exif\0\0", 6)},
        {"bad magic", Concat({Text("Exif\0\0II\x2B\0\x08\0\0\0", 14)})},
        {"first IFD at 0", firstIfdZero},
        {"first IFD past the segment", firstIfdPastEnd},
        {"IFD cut by the segment's end", cut},
    };
    for (const Case& c : cases) {
        Segments s(main);
        s.Insert(0, 0xFFE1, c.body);
        Store store;
        Memory in(s.Build());
        CJpegReader reader(in.get(), store.tags);
        ASSERT_EQ(0, Cause(reader.LoadTags())) << c.what;
        EXPECT_EQ(0, reader.GetThumbnailCount()) << c.what;
        EXPECT_EQ(40u, TagLong(store.tags, 0x10000)) << c.what;
        EXPECT_EQ(32u, TagLong(store.tags, 0x10002)) << c.what;
        IVorlatImage* full = pipeline.NewImage();
        ASSERT_EQ(0, Cause(reader.BeginLoadImage(full))) << c.what;
        while (!reader.IsFinished())
            ASSERT_EQ(0, Cause(reader.Execute())) << c.what;
        EXPECT_EQ(0, MaxDifference(Decode(pipeline, main).pixels, Pipeline::PixelsOf(full))) << c.what;
        full->Destroy();
    }
}
