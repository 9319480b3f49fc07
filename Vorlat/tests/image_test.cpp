#include "vorlat_test_util.h"

#include <algorithm>
#include <numeric>

#include "Vorlat/VorlatImage_impl.h"

using namespace vorlat_test;

namespace {

TEST(Image, TileSizeTable)
{
    const struct {
        int32_t tileBytes, code, side, rowBytes;
    } cases[] = {
        {16384, 1, 352, 44},  {16384, 2, 128, 128}, {16384, 32, 73, 220},  {16384, 38, 73, 220},
        {16384, 34, 64, 256}, {16384, 33, 52, 312}, {65536, 32, 147, 444}, {65536, 33, 104, 624},
    };
    for (const auto& c : cases) {
        CVorlatManager* manager = MakeManager(1 << 20, c.tileBytes);
        IVorlatImage* image = MakeImage(manager, 0, c.code, 10, 10);
        int32_t side = 0, rowBytes = 0;
        VORLAT_OK(image->GetTileSize(&side));
        VORLAT_OK(image->GetRowBytes(&rowBytes));
        EXPECT_EQ(side, c.side) << c.tileBytes << "/" << c.code;
        EXPECT_EQ(rowBytes, c.rowBytes) << c.tileBytes << "/" << c.code;
        image->Destroy();
        manager->Destroy();
    }
}

class ImageTest : public ::testing::Test {
protected:
    void SetUp() override { manager = MakeManager(1 << 20, 16384); }
    void TearDown() override { manager->Destroy(); }
    CVorlatManager* manager = nullptr;
};

TEST_F(ImageTest, SizesTilesAndRows)
{
    IVorlatImage* image = MakeImage(manager, 0, 32, 100, 100);
    int32_t row = 0;
    EXPECT_EQ(image->GetDataSize(100, 1, &row), 300);
    EXPECT_EQ(row, 300);
    bool exists = true;
    VORLAT_OK(image->TileExists(&exists, 1, 1));
    EXPECT_FALSE(exists);
    EXPECT_EQ(Failure(image->TileExists(&exists, 2, 0)), kVorlatErrNoSuchId);
    VORLAT_OK(image->TileExists(&exists, CVorlatTileID(image->GetID(), 5)));
    EXPECT_FALSE(exists);
    void* bits = nullptr;
    EXPECT_EQ(Failure(image->LockTile(&bits, 0, 2, nullptr)), kVorlatErrNoSuchId);
    EXPECT_EQ(Failure(image->LockTile(&bits, CVorlatTileID(image->GetID(), 5), nullptr)), kVorlatErrNoSuchId);
    image->Destroy();
}

TEST_F(ImageTest, ColourSpaceWithoutPixelsIsRefused)
{
    IVorlatImage* image = MakeImage(manager, 0, 32, 100, 100);
    EXPECT_EQ(Failure(image->SetColorSpace(20)), kVorlatErrColorSpace);
    int32_t code = 0, side = 0;
    image->GetColorSpace(&code);
    image->GetTileSize(&side);
    EXPECT_EQ(code, 32);
    EXPECT_EQ(side, 73);
    image->Destroy();
}

TEST_F(ImageTest, SetDataGetDataRoundTripAcrossTiles)
{
    for (int32_t code : {2, 3, 32, 33, 34, 38, 0x10005}) {
        IVorlatImage* image = MakeImage(manager, 0, code, 150, 90);
        const int32_t bpp = IVorlatDataSource::GetBitsPerPixel(code) / 8;
        const RECT rect{7, 5, 141, 88};
        const int32_t rowBytes = (rect.right - rect.left) * bpp + 3;
        std::vector<uint8_t> in(static_cast<size_t>(rowBytes) * (rect.bottom - rect.top));
        for (size_t i = 0; i < in.size(); ++i)
            in[i] = static_cast<uint8_t>(i * 131 + 7);
        VORLAT_OK(image->SetData(in.data(), rowBytes, rect));
        std::vector<uint8_t> out(in.size(), 0xEE);
        VORLAT_OK(image->GetData(out.data(), rowBytes, rect));
        for (int32_t y = 0; y < rect.bottom - rect.top; ++y) {
            const size_t at = static_cast<size_t>(y) * rowBytes;
            ASSERT_EQ(std::memcmp(&in[at], &out[at], static_cast<size_t>((rect.right - rect.left) * bpp)), 0)
                << "code " << code << " row " << y;
        }
        image->Destroy();
    }
}

TEST_F(ImageTest, SetDataMarksTilesDirtyAndNotifies)
{
    IVorlatImage* image = MakeImage(manager, 0, 1, 100, 100);
    Recorder recorder;
    VORLAT_OK(VorlatDataConnect(image, &recorder));
    uint8_t bits[64] = {};
    VORLAT_OK(image->SetData(bits, 4, RECT{0, 0, 10, 10}));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].code, kVorlatNotifyDataChanged);
    EXPECT_EQ(recorder.lastRect.right, 10);
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    EXPECT_TRUE(tile->IsDirty());
    VORLAT_OK(image->SetData(bits, 4, RECT{3, 3, 3, 9}));
    EXPECT_EQ(recorder.heard.size(), 1u);  // empty rectangle: nothing
    image->Destroy();
}

TEST_F(ImageTest, ReshapingDestroysAndInvalidatesAndNotifies)
{
    IVorlatImage* image = MakeImage(manager, 0, 32, 100, 100);
    Recorder recorder;
    VORLAT_OK(VorlatDataConnect(image, &recorder));
    IVorlatTile* tile = nullptr;
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    tile->Validate();
    VORLAT_OK(image->GetTile(&tile, 1, 1));
    VORLAT_OK(image->SetSize(60, 60));
    ASSERT_EQ(recorder.heard.size(), 1u);
    EXPECT_EQ(recorder.heard[0].code, kVorlatNotifySize);
    EXPECT_EQ(recorder.lastSize.oldWidth, 100);
    EXPECT_EQ(recorder.lastSize.newHeight, 60);
    bool exists = true;
    VORLAT_OK(image->TileExists(&exists, CVorlatTileID(image->GetID(), 4)));
    EXPECT_FALSE(exists);
    VORLAT_OK(image->GetTile(&tile, 0, 0));
    RECT invalid{};
    EXPECT_TRUE(tile->GetInvalidRect(&invalid));
    EXPECT_EQ(invalid.right, 60);

    VorlatPalette palette{};
    palette.count = 3;
    palette.colorSpace = 32;
    VORLAT_OK(image->SetPalette(palette));
    VORLAT_OK(image->SetColorSpace(2));
    VORLAT_OK(image->GetPalette(&palette));
    EXPECT_EQ(palette.count, 0);
    const std::vector<int32_t> codes = [&] {
        std::vector<int32_t> c;
        for (const auto& h : recorder.heard)
            c.push_back(h.code);
        return c;
    }();
    EXPECT_EQ(codes, (std::vector<int32_t>{1, 5, 2}));
    image->Destroy();
    EXPECT_EQ(recorder.heard.back().code, kVorlatNotifyDestroyed);
}

TEST_F(ImageTest, LockTileGivesHeaderOnlyForBgr)
{
    IVorlatImage* bgr = MakeImage(manager, 0, 38, 100, 100);
    IVorlatImage* rgb = MakeImage(manager, 0, 32, 100, 100);
    void* bits = nullptr;
    BITMAPINFOHEADER* header = nullptr;
    VORLAT_OK(bgr->LockTile(&bits, 0, 0, &header));
    EXPECT_EQ(reinterpret_cast<uint8_t*>(header), static_cast<uint8_t*>(bits) + 16384 - 40);
    VORLAT_OK(bgr->UnlockTile(0, 0));
    BITMAPINFOHEADER* untouched = reinterpret_cast<BITMAPINFOHEADER*>(8);
    VORLAT_OK(rgb->LockTile(&bits, 0, 0, &untouched));
    EXPECT_EQ(untouched, reinterpret_cast<BITMAPINFOHEADER*>(8));
    VORLAT_OK(rgb->UnlockTile(0, 0));
    IVorlatTileGrid* grid = nullptr;
    VORLAT_OK(rgb->MapRect(&grid, RECT{0, 0, 10, 10}));
    RECT tileRect, used;
    int32_t rowBytes = 0;
    VORLAT_OK(rgb->LockTile(&bits, &tileRect, &used, &rowBytes, *grid, 0, 0, &header));
    EXPECT_EQ(reinterpret_cast<uint8_t*>(header), static_cast<uint8_t*>(bits) + 16384 - 40);
    EXPECT_EQ(rowBytes, 220);
    EXPECT_EQ(used.right, 10);
    EXPECT_EQ(tileRect.right, 73);
    VORLAT_OK(rgb->UnlockTile(*grid, 0, 0));
    grid->Destroy();
    bgr->Destroy();
    rgb->Destroy();
}

TEST_F(ImageTest, SetPixelThenGetPixelForEveryCode)
{
    const struct {
        int32_t code;
        VorlatPixel pixel;
        bool readBack;
    } cases[] = {
        {1, {1, {{1}}}, true},
        {16, {16, {{1}}}, true},
        {17, {17, {{2}}}, true},
        {18, {18, {{11}}}, true},
        {2, {2, {{200}}}, true},
        {19, {19, {{17}}}, true},
        {32, {32, {{1, 2, 3}}}, true},
        {38, {38, {{4, 5, 6}}}, true},
        {39, {39, {{7, 8, 9}}}, true},
        {34, {34, {{1, 2, 3, 4}}}, true},
        {40, {40, {{1, 2, 3}}}, false},
    };
    for (const auto& c : cases) {
        IVorlatImage* image = MakeImage(manager, 0, c.code, 500, 30);
        // Two neighbours in one byte for the sub-byte codes: the other must survive.
        VORLAT_OK(image->SetPixel(c.pixel, 5, 7));
        VORLAT_OK(image->SetPixel(c.pixel, 6, 7));
        VorlatPixel back{};
        VORLAT_OK(image->GetPixel(&back, 5, 7));
        EXPECT_EQ(back.colorSpace, c.code);
        if (c.readBack) {
            const int bytes = std::max(1, IVorlatDataSource::GetBitsPerPixel(c.code) / 8);
            EXPECT_EQ(std::memcmp(back.bytes, c.pixel.bytes, static_cast<size_t>(std::min(bytes, 4))), 0)
                << "code " << c.code;
        }
        IVorlatTile* tile = nullptr;
        VORLAT_OK(image->GetTile(&tile, 0, 0));
        EXPECT_TRUE(tile->IsDirty());
        EXPECT_EQ(Failure(image->SetPixel(c.pixel, -1, 0)), kVorlatErrState);
        EXPECT_EQ(Failure(image->SetPixel(c.pixel, 500, 0)), kVorlatErrState);
        image->Destroy();
    }
    // The 16-bit codes: one value, three values, or (66) nothing but the colour space read back.
    const struct {
        int32_t code;
        int values;
    } wide[] = {{3, 1}, {64, 1}, {65, 1}, {66, 0}, {33, 3}, {35, 3}, {36, 3}, {37, 3}};
    for (const auto& c : wide) {
        IVorlatImage* image = MakeImage(manager, 0, c.code, 80, 80);
        VorlatPixel pixel{c.code, {}};
        pixel.words[0] = 0x1234;
        pixel.words[1] = 0x5678;
        pixel.words[2] = 0x9ABC;
        VORLAT_OK(image->SetPixel(pixel, 79, 79));
        VorlatPixel back{};
        back.words[0] = back.words[1] = back.words[2] = 0xEEEE;
        VORLAT_OK(image->GetPixel(&back, 79, 79));
        EXPECT_EQ(back.colorSpace, c.code);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(back.words[i], i < c.values ? pixel.words[i] : 0xEEEE) << "code " << c.code << " word " << i;
        // The written pixel holds exactly the code's bytes: its neighbour stays zero.
        std::vector<uint8_t> row(static_cast<size_t>(2 * IVorlatDataSource::GetBitsPerPixel(c.code) / 8));
        VORLAT_OK(image->GetData(row.data(), static_cast<int32_t>(row.size()), RECT{78, 79, 80, 80}));
        const size_t half = row.size() / 2;
        EXPECT_EQ(std::count(row.begin(), row.begin() + static_cast<std::ptrdiff_t>(half), 0), static_cast<std::ptrdiff_t>(half));
        EXPECT_EQ(std::memcmp(row.data() + half, pixel.words, half), 0) << "code " << c.code;
        image->Destroy();
    }
}

// Positions outside the image are refused on both ways, also where truncating
// division would find tile 0 (negative) or the padding of the last tile.
TEST_F(ImageTest, RefusesPixelsOutsideTheImage)
{
    IVorlatImage* image = MakeImage(manager, 0, 2, 100, 30);
    const VorlatPixel written{2, {{9}}};
    const struct {
        int32_t x, y;
    } outside[] = {{-1, 0}, {0, -1}, {-1, -1}, {-200, 5}, {100, 0}, {0, 30}, {INT32_MIN, INT32_MIN}, {INT32_MAX, 0}};
    for (const auto& p : outside) {
        VorlatPixel read{};
        EXPECT_EQ(Failure(image->GetPixel(&read, p.x, p.y)), kVorlatErrState) << p.x << "," << p.y;
        EXPECT_EQ(Failure(image->SetPixel(written, p.x, p.y)), kVorlatErrState) << p.x << "," << p.y;
        // The common reader that filters and other sources use refuses them too.
        EXPECT_EQ(Failure(image->IVorlatDataSource::GetPixel(&read, p.x, p.y)), kVorlatErrState)
            << p.x << "," << p.y;
    }
    VorlatPixel corner{};
    VORLAT_OK(image->SetPixel(written, 99, 29));
    VORLAT_OK(image->GetPixel(&corner, 99, 29));
    EXPECT_EQ(corner.bytes[0], 9);
    image->Destroy();
}

// The last tile of a row or column must end within 32 bits: a size or a colour
// space (whose tile side sets where the tiles end) that would pass that is
// refused and changes nothing.
TEST(ImageSizes, RefusesTileGridsThatEndPast32Bits)
{
    CVorlatManager* manager = MakeManager(1 << 20, 1 << 20);
    IVorlatImage* image = MakeImage(manager, 0, 1, 10, 10);
    int32_t side = 0;
    VORLAT_OK(image->GetTileSize(&side));
    const int32_t largest = INT32_MAX / side * side;
    for (bool vertical : {false, true}) {
        const auto setSize = [&](int32_t extent) {
            return vertical ? image->SetSize(1, extent) : image->SetSize(extent, 1);
        };
        VORLAT_OK(setSize(largest));
        RECT last{};
        IVorlatTile* tile = nullptr;
        const int32_t lastTile = (largest - 1) / side;
        VORLAT_OK(vertical ? image->GetTile(&tile, 0, lastTile) : image->GetTile(&tile, lastTile, 0));
        tile->GetCoordinates(&last);
        EXPECT_EQ(vertical ? last.bottom : last.right, largest);
        for (int32_t extent : {largest + 1, INT32_MAX}) {
            EXPECT_EQ(Failure(setSize(extent)), kVorlatErrState) << extent;
            int32_t width = 0, height = 0;
            VORLAT_OK(image->GetSize(&width, &height));
            EXPECT_EQ(vertical ? height : width, largest);
        }
    }
    // Without a colour space there are no tiles; the colour space that brings them is refused.
    VORLAT_OK(image->SetColorSpace(0));
    VORLAT_OK(image->SetSize(INT32_MAX, 1));
    EXPECT_EQ(Failure(image->SetColorSpace(1)), kVorlatErrState);
    int32_t code = -1;
    VORLAT_OK(image->GetColorSpace(&code));
    EXPECT_EQ(code, 0);
    image->Destroy();
    manager->Destroy();
}

TEST_F(ImageTest, OneBitPixelIsTheMostSignificantBit)
{
    IVorlatImage* image = MakeImage(manager, 0, 1, 16, 1);
    uint8_t row[4] = {0x80, 0, 0, 0};
    VORLAT_OK(image->SetData(row, 4, RECT{0, 0, 16, 1}));  // copies nothing below 8 bits
    void* bits = nullptr;
    VORLAT_OK(image->LockTile(&bits, 0, 0, nullptr));
    static_cast<uint8_t*>(bits)[0] = 0x80;
    VORLAT_OK(image->UnlockTile(0, 0));
    VorlatPixel pixel{};
    VORLAT_OK(image->GetPixel(&pixel, 0, 0));
    EXPECT_EQ(pixel.bytes[0], 1);
    VORLAT_OK(image->GetPixel(&pixel, 1, 0));
    EXPECT_EQ(pixel.bytes[0], 0);
    image->Destroy();
}

TEST_F(ImageTest, ImageIdsGrowAndAreForgotten)
{
    IVorlatImage* a = nullptr;
    IVorlatImage* b = nullptr;
    VORLAT_OK(manager->CreateImage(&a, 0));
    VORLAT_OK(manager->CreateImage(&b, 1));
    EXPECT_EQ(a->GetID(), 1);
    EXPECT_EQ(b->GetID(), 2);
    IVorlatImage* found = nullptr;
    VORLAT_OK(manager->FindImage(2, &found));
    EXPECT_EQ(found, b);
    a->Destroy();
    EXPECT_EQ(Failure(manager->FindImage(1, &found)), kVorlatErrNoSuchId);
    b->Destroy();
}

} // namespace

namespace {

// A new tile reads as zeros wherever nothing was written: whatever order
// partial writes come in, every byte a tile holds, in memory and in its page
// copy, is what zeros and then the writes make. A budget of three buffers
// makes tiles page out and buffers pass between tiles with old pixels in them.
TEST(ImageWrites, TilesWrittenInPartsHoldZerosWhereverNothingWasWritten)
{
    CVorlatManager* manager = MakeManager(3 * 16384, 16384, "partial");
    const int32_t width = 150, height = 100, bpp = 6;
    // Old pixels in every buffer first.
    IVorlatImage* old = MakeImage(manager, 0, 33, width, height);
    std::vector<uint8_t> ones(static_cast<size_t>(width) * height * bpp, 0xAB);
    VORLAT_OK(old->SetData(ones.data(), width * bpp, RECT{0, 0, width, height}));

    IVorlatImage* image = MakeImage(manager, 0, 33, width, height);
    std::vector<uint8_t> model(static_cast<size_t>(width) * height * bpp, 0);
    uint8_t next = 1;
    auto write = [&](const RECT& r) {
        const int32_t rowBytes = (r.right - r.left) * bpp;
        std::vector<uint8_t> bits(static_cast<size_t>(rowBytes) * (r.bottom - r.top));
        for (uint8_t& b : bits)
            b = next = static_cast<uint8_t>((next * 5 + 3) | 1);  // never 0
        VORLAT_OK(image->SetData(bits.data(), rowBytes, r));
        for (int32_t y = r.top; y < r.bottom; ++y)
            std::memcpy(&model[(static_cast<size_t>(y) * width + r.left) * bpp],
                        &bits[static_cast<size_t>(y - r.top) * rowBytes], static_cast<size_t>(rowBytes));
    };
    const RECT writes[] = {
        {0, 3, width, 10},    // bands that begin inside the first tile row
        {0, 10, width, 30},
        {5, 0, 20, 5},        // behind the cleared part
        {30, 30, 140, 31},    // part of a row, after a gap
        {0, 52, width, 100},  // the second tile row whole
        {100, 60, 149, 62},   // inside what is already written
        {0, 40, 60, 45},
    };
    for (const RECT& r : writes)
        write(r);

    std::vector<uint8_t> back(model.size(), 0xEE);
    VORLAT_OK(image->GetData(back.data(), width * bpp, RECT{0, 0, width, height}));
    EXPECT_TRUE(back == model);

    // Each tile's whole buffer, read back from its page copy after the old
    // image's pixels went through the buffers again.
    VORLAT_OK(old->SetData(ones.data(), width * bpp, RECT{0, 0, width, height}));
    int32_t side = 0, tileRowBytes = 0;
    VORLAT_OK(image->GetTileSize(&side));
    VORLAT_OK(image->GetRowBytes(&tileRowBytes));
    for (int32_t row = 0; row * side < height; ++row)
        for (int32_t column = 0; column * side < width; ++column) {
            IVorlatTile* tile = nullptr;
            VORLAT_OK(image->GetTile(&tile, column, row));
            EXPECT_TRUE(tile->IsPaged());
            std::vector<uint8_t> expected(16384, 0);
            for (int32_t y = row * side; y < std::min(height, (row + 1) * side); ++y)
                for (int32_t x = column * side; x < std::min(width, (column + 1) * side); ++x)
                    std::memcpy(&expected[static_cast<size_t>(y - row * side) * tileRowBytes + (x - column * side) * bpp],
                                &model[(static_cast<size_t>(y) * width + x) * bpp], bpp);
            void* bits = nullptr;
            VORLAT_OK(image->LockTile(&bits, column, row, nullptr));
            EXPECT_EQ(0, std::memcmp(bits, expected.data(), expected.size())) << "tile " << column << "," << row;
            VORLAT_OK(image->UnlockTile(column, row));
        }
    image->Destroy();
    old->Destroy();
    manager->Destroy();
}

} // namespace

namespace {

// Tiles that a write covers whole are not cleared first, yet every byte that
// the write does not reach (row padding, the rows and bytes after the tile's
// pixels, the bitmap header room of code 38) reads as zeros, in memory and in
// the page copy, though the buffers held another image's bytes before.
TEST(ImageWrites, TilesWrittenWholeHoldZerosAroundTheirPixels)
{
    const int32_t codes[] = {2, 32, 38, 33, 34};
    for (int32_t code : codes) {
        SCOPED_TRACE("code " + std::to_string(code));
        const int32_t tileBytes = 16384;
        CVorlatManager* manager = MakeManager(3 * tileBytes, tileBytes, "whole");
        const int32_t bpp = IVorlatDataSource::GetBitsPerPixel(code) / 8;
        const int32_t side = CVorlatImage::ComputeTileSize(tileBytes, code);
        // Three tile columns, the last cut by the image's edge; two tile rows.
        const int32_t width = 2 * side + side / 3, height = 2 * side;

        // Every buffer full of 0xAB: this image's tiles are taken for the next one's.
        IVorlatImage* old = MakeImage(manager, 1, code, 3 * side, 3 * side);
        for (int32_t row = 0; row < 3; ++row)
            for (int32_t column = 0; column < 3; ++column) {
                void* bits = nullptr;
                VORLAT_OK(old->LockTile(&bits, column, row, nullptr));
                std::memset(bits, 0xAB, static_cast<size_t>(tileBytes));
                VORLAT_OK(old->UnlockTile(column, row));
            }

        IVorlatImage* image = MakeImage(manager, 0, code, width, height);
        std::vector<uint8_t> model(static_cast<size_t>(width) * height * bpp, 0);
        uint8_t next = 1;
        auto write = [&](const RECT& r) {
            const int32_t rowBytes = (r.right - r.left) * bpp;
            std::vector<uint8_t> bits(static_cast<size_t>(rowBytes) * (r.bottom - r.top));
            for (uint8_t& b : bits)
                b = next = static_cast<uint8_t>((next * 5 + 3) | 1);  // never 0
            VORLAT_OK(image->SetData(bits.data(), rowBytes, r));
            for (int32_t y = r.top; y < r.bottom; ++y)
                std::memcpy(&model[(static_cast<size_t>(y) * width + r.left) * bpp],
                            &bits[static_cast<size_t>(y - r.top) * rowBytes], static_cast<size_t>(rowBytes));
        };
        const RECT writes[] = {
            {0, 0, width, side},                   // the first tile row whole, edge tile included
            {side, side, 2 * side, 2 * side},      // one whole tile
            {0, side + 2, side, 2 * side},         // the tile before it in part
            {2 * side, side, width, side + 1},     // the edge tile's first row only
        };
        for (const RECT& r : writes)
            write(r);

        std::vector<uint8_t> back(model.size(), 0xEE);
        VORLAT_OK(image->GetData(back.data(), width * bpp, RECT{0, 0, width, height}));
        EXPECT_TRUE(back == model);

        int32_t tileRowBytes = 0;
        VORLAT_OK(image->GetRowBytes(&tileRowBytes));
        auto expected = [&](int32_t column, int32_t row) {
            std::vector<uint8_t> tile(static_cast<size_t>(tileBytes), 0);
            for (int32_t y = row * side; y < std::min(height, (row + 1) * side); ++y)
                for (int32_t x = column * side; x < std::min(width, (column + 1) * side); ++x)
                    std::memcpy(&tile[static_cast<size_t>(y - row * side) * tileRowBytes + (x - column * side) * bpp],
                                &model[(static_cast<size_t>(y) * width + x) * bpp], static_cast<size_t>(bpp));
            return tile;
        };
        // As the tiles are now (three buffers for six tiles: some come back
        // from page copies already), then all from page copies once the old
        // image's tiles have taken every buffer again.
        for (bool paged : {false, true}) {
            if (paged) {
                for (int32_t column = 0; column < 3; ++column)
                    Touch(old, column);
            }
            for (int32_t row = 0; row < 2; ++row)
                for (int32_t column = 0; column < 3; ++column) {
                    IVorlatTile* tile = nullptr;
                    VORLAT_OK(image->GetTile(&tile, column, row));
                    if (paged) {
                        EXPECT_FALSE(tile->InMemory());
                    }
                    void* bits = nullptr;
                    VORLAT_OK(image->LockTile(&bits, column, row, nullptr));
                    EXPECT_TRUE(std::memcmp(bits, expected(column, row).data(), static_cast<size_t>(tileBytes)) == 0)
                        << (paged ? "page copy of" : "buffer of") << " tile " << column << "," << row;
                    VORLAT_OK(image->UnlockTile(column, row));
                }
        }
        image->Destroy();
        old->Destroy();
        manager->Destroy();
    }
}

} // namespace
