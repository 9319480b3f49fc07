// Random operations on several images of small managers, checked after every
// step against a plain byte model of each image's tiles and against the
// manager's own rules. Images of usage 0 must never lose data; discardable
// images are exercised the same way, and their content is adopted again
// whenever they return to usage 0. The model holds whole tile buffers, so
// that the bytes around the pixels (row padding, the end of the buffer) must
// stay zeros too, in memory and in page copies, however a tile was written.
#include "vorlat_test_util.h"

#include <algorithm>
#include <filesystem>
#include <random>

#include "Vorlat/VorlatImage_impl.h"
#include "port/port.h"

using namespace vorlat_test;

namespace {

struct ModelImage {
    IVorlatImage* image = nullptr;
    int32_t usage = 0;
    int32_t code = 2;
    int32_t width = 0, height = 0;
    int32_t side = 0, perRow = 0, rowBytes = 0, bpp = 1;
    // Tile buffers by tile index; empty while the tile does not exist.
    std::vector<std::vector<uint8_t>> tiles;
    std::vector<std::pair<int32_t, int32_t>> locks;  // column, row of each open lock
};

class Model {
public:
    Model(CVorlatManager* manager, std::mt19937& random) : manager_(manager), random_(random) {}

    void Geometry(ModelImage& m)
    {
        m.side = CVorlatImage::ComputeTileSize(manager_->TileBytes(), m.code);
        m.bpp = IVorlatDataSource::GetBitsPerPixel(m.code) / 8;
        m.rowBytes = ((m.side * m.bpp * 8 + 31) / 32) * 4;
        m.perRow = (m.width + m.side - 1) / m.side;
        const size_t count = static_cast<size_t>(m.perRow) * ((m.height + m.side - 1) / m.side);
        m.tiles.resize(count);
    }

    uint8_t* At(ModelImage& m, int32_t x, int32_t y)
    {
        auto& tile = m.tiles[static_cast<size_t>((y / m.side) * m.perRow + x / m.side)];
        if (tile.empty())
            tile.assign(static_cast<size_t>(manager_->TileBytes()), 0);
        return tile.data() + (y % m.side) * m.rowBytes + (x % m.side) * m.bpp;
    }

    RECT RandomRect(const ModelImage& m)
    {
        const int32_t l = Pick(0, m.width - 1), t = Pick(0, m.height - 1);
        return RECT{l, t, Pick(l + 1, m.width), Pick(t + 1, m.height)};
    }

    int32_t Pick(int32_t low, int32_t high) { return std::uniform_int_distribution<int32_t>(low, high)(random_); }

    // Every tile that the model holds exists in the image and no other; a
    // vanished tile is legal only for a discardable image.
    void SyncExistence(ModelImage& m)
    {
        for (size_t i = 0; i < m.tiles.size(); ++i) {
            bool exists = false;
            ASSERT_EQ(Deepest(m.image->TileExists(&exists, CVorlatTileID(m.image->GetID(), static_cast<int32_t>(i) + 1))), 0);
            if (!exists && !m.tiles[i].empty()) {
                ASSERT_NE(m.usage, 0) << "a tile of usage 0 vanished";
                m.tiles[i].clear();
            }
            if (exists && m.tiles[i].empty())
                m.tiles[i].assign(static_cast<size_t>(manager_->TileBytes()), 0);
        }
    }

    void Compare(ModelImage& m, const RECT& r, const std::vector<uint8_t>& actual, int32_t rowBytes)
    {
        for (int32_t y = r.top; y < r.bottom; ++y) {
            for (int32_t x = r.left; x < r.right; ++x) {
                const uint8_t* got = actual.data() + (y - r.top) * rowBytes + (x - r.left) * m.bpp;
                uint8_t* want = At(m, x, y);
                if (m.usage == 0)
                    ASSERT_EQ(std::memcmp(got, want, static_cast<size_t>(m.bpp)), 0) << "pixel " << x << "," << y;
                else
                    std::memcpy(want, got, static_cast<size_t>(m.bpp));
            }
        }
    }

    void ReadAll(ModelImage& m)
    {
        if (m.width == 0 || m.height == 0)
            return;
        const RECT all{0, 0, m.width, m.height};
        const int32_t rowBytes = m.width * m.bpp;
        std::vector<uint8_t> actual(static_cast<size_t>(rowBytes) * m.height);
        ASSERT_EQ(Deepest(m.image->GetData(actual.data(), rowBytes, all)), 0);
        Compare(m, all, actual, rowBytes);
    }

    // Takes what the image holds now, whole buffers, as the model from here on;
    // a discardable tile may have been made again since the model last saw it.
    void AdoptAll(ModelImage& m)
    {
        for (size_t i = 0; i < m.tiles.size(); ++i) {
            const CVorlatTileID id(m.image->GetID(), static_cast<int32_t>(i) + 1);
            bool exists = false;
            ASSERT_EQ(Deepest(m.image->TileExists(&exists, id)), 0);
            if (!exists)
                continue;
            void* bits = nullptr;
            ASSERT_EQ(Deepest(m.image->LockTile(&bits, id, nullptr)), 0);
            m.tiles[i].assign(static_cast<uint8_t*>(bits), static_cast<uint8_t*>(bits) + manager_->TileBytes());
            ASSERT_EQ(Deepest(m.image->UnlockTile(id)), 0);
        }
    }

    void UnlockAll(ModelImage& m)
    {
        for (auto [c, r] : m.locks)
            ASSERT_EQ(Deepest(m.image->UnlockTile(c, r)), 0);
        m.locks.clear();
    }

    void Write(ModelImage& m, const RECT& r)
    {
        const int32_t rowBytes = (r.right - r.left) * m.bpp + Pick(0, 5);
        std::vector<uint8_t> data(static_cast<size_t>(rowBytes) * (r.bottom - r.top));
        for (uint8_t& b : data)
            b = static_cast<uint8_t>(random_());
        ASSERT_EQ(Deepest(m.image->SetData(data.data(), rowBytes, r)), 0);
        for (int32_t y = r.top; y < r.bottom; ++y)
            for (int32_t x = r.left; x < r.right; ++x)
                std::memcpy(At(m, x, y), data.data() + (y - r.top) * rowBytes + (x - r.left) * m.bpp,
                            static_cast<size_t>(m.bpp));
    }

    // A block of whole tiles (the image's last column and row end at its
    // edges), now and then with one side moved inward so that partly written
    // tiles lie next to whole ones.
    RECT TileBlock(const ModelImage& m)
    {
        const int32_t rows = static_cast<int32_t>(m.tiles.size()) / m.perRow;
        const int32_t c0 = Pick(0, m.perRow - 1), r0 = Pick(0, rows - 1);
        const int32_t c1 = Pick(c0, m.perRow - 1), r1 = Pick(r0, rows - 1);
        RECT r{c0 * m.side, r0 * m.side, std::min((c1 + 1) * m.side, m.width), std::min((r1 + 1) * m.side, m.height)};
        switch (Pick(0, 5)) {
        case 0: r.left = Pick(r.left, r.right - 1); break;
        case 1: r.top = Pick(r.top, r.bottom - 1); break;
        case 2: r.right = Pick(r.left + 1, r.right); break;
        case 3: r.bottom = Pick(r.top + 1, r.bottom); break;
        default: break;
        }
        return r;
    }

    // A lock shows the whole buffer: pixels, padding and the end of the buffer.
    void CompareBuffer(ModelImage& m, size_t index, const void* bits)
    {
        std::vector<uint8_t>& want = m.tiles[index];
        if (m.usage == 0)
            ASSERT_EQ(std::memcmp(bits, want.data(), want.size()), 0) << "buffer of tile " << index + 1;
        else
            std::memcpy(want.data(), bits, want.size());
    }

    // The page copy of a tile of usage 0 that is paged out is the tile's
    // buffer (a copy of a tile in memory is checked once the tile goes out).
    // It is read through the manager's own descriptor, which the manager
    // positions before each use of its own.
    void ComparePageCopies(std::vector<ModelImage>& images)
    {
        const size_t tileBytes = static_cast<size_t>(manager_->TileBytes());
        std::vector<uint8_t> copy(tileBytes);
        for (const VorlatPageFile& file : manager_->PageFiles()) {
            for (size_t slot = 0; file.state == VorlatPageFile::kOpen && slot < file.slots.size(); ++slot) {
                const CVorlatTile* tile = file.slots[slot];
                if (!tile || tile->InMemory())
                    continue;
                for (ModelImage& m : images) {
                    if (m.usage != 0 || tile->GetID().GetImageID() != m.image->GetID())
                        continue;
                    const int64_t offset = static_cast<int64_t>(slot) * static_cast<int64_t>(tileBytes);
                    ASSERT_EQ(port::FileSeek(file.descriptor, offset, SEEK_SET), offset);
                    ASSERT_EQ(port::FileRead(file.descriptor, copy.data(), static_cast<uint32_t>(tileBytes)),
                              static_cast<int32_t>(tileBytes));
                    const size_t index = static_cast<size_t>(tile->GetID().GetTileID() - 1);
                    ASSERT_EQ(std::memcmp(copy.data(), m.tiles[index].data(), tileBytes), 0)
                        << "page copy of tile " << index + 1 << " in slot " << slot;
                }
            }
        }
    }

    void Step(ModelImage& m, int op)
    {
        switch (op) {
        case 0:  // SetData
            Write(m, RandomRect(m));
            break;
        case 11:  // SetData of whole tiles
            Write(m, TileBlock(m));
            break;
        case 1: {  // GetData
            const RECT r = RandomRect(m);
            const int32_t rowBytes = (r.right - r.left) * m.bpp;
            std::vector<uint8_t> actual(static_cast<size_t>(rowBytes) * (r.bottom - r.top));
            ASSERT_EQ(Deepest(m.image->GetData(actual.data(), rowBytes, r)), 0);
            Compare(m, r, actual, rowBytes);
            break;
        }
        case 2: {  // SetPixel
            VorlatPixel pixel{m.code, {}};
            for (uint8_t& b : pixel.room)
                b = static_cast<uint8_t>(random_());
            const int32_t x = Pick(0, m.width - 1), y = Pick(0, m.height - 1);
            ASSERT_EQ(Deepest(m.image->SetPixel(pixel, x, y)), 0);
            std::memcpy(At(m, x, y), pixel.bytes, static_cast<size_t>(m.bpp));
            break;
        }
        case 3: {  // lock
            if (m.locks.size() >= 3)
                break;
            const int32_t c = Pick(0, m.perRow - 1), r = Pick(0, static_cast<int32_t>(m.tiles.size()) / m.perRow - 1);
            void* bits = nullptr;
            ASSERT_EQ(Deepest(m.image->LockTile(&bits, c, r, nullptr)), 0);
            m.locks.emplace_back(c, r);
            At(m, c * m.side, r * m.side);
            CompareBuffer(m, static_cast<size_t>(r * m.perRow + c), bits);
            break;
        }
        case 4:  // unlock
            if (!m.locks.empty()) {
                const size_t i = static_cast<size_t>(Pick(0, static_cast<int32_t>(m.locks.size()) - 1));
                ASSERT_EQ(Deepest(m.image->UnlockTile(m.locks[i].first, m.locks[i].second)), 0);
                m.locks.erase(m.locks.begin() + static_cast<std::ptrdiff_t>(i));
            }
            break;
        case 5: {  // discard
            const size_t i = static_cast<size_t>(Pick(0, static_cast<int32_t>(m.tiles.size()) - 1));
            if (m.tiles[i].empty())
                break;
            IVorlatTile* tile = nullptr;
            ASSERT_EQ(Deepest(m.image->GetTile(&tile, CVorlatTileID(m.image->GetID(), static_cast<int32_t>(i) + 1))), 0);
            // A dirty tile with a page copy falls back to that copy, which the model does not keep.
            if (tile->IsLocked() || (tile->IsPaged() && tile->IsDirty()))
                break;
            const bool paged = tile->IsPaged();
            ASSERT_EQ(Deepest(tile->Discard()), 0);
            if (!paged)
                std::fill(m.tiles[i].begin(), m.tiles[i].end(), 0);
            break;
        }
        case 6:  // SetSize
            UnlockAll(m);
            m.width = Pick(1, 90);
            m.height = Pick(1, 70);
            ASSERT_EQ(Deepest(m.image->SetSize(m.width, m.height)), 0);
            Reshaped(m);
            break;
        case 7: {  // SetColorSpace
            UnlockAll(m);
            const int32_t codes[] = {2, 3, 32, 34};
            m.code = codes[Pick(0, 3)];
            ASSERT_EQ(Deepest(m.image->SetColorSpace(m.code)), 0);
            Reshaped(m);
            break;
        }
        case 8: {  // SetUsage
            const int32_t usage = Pick(0, 2);
            ASSERT_EQ(Deepest(m.image->SetUsage(usage)), 0);
            const bool back = usage == 0 && m.usage != 0;
            m.usage = usage;
            if (back)
                AdoptAll(m);
            break;
        }
        case 9: {  // idle work
            bool more = true;
            for (int i = Pick(1, 30); i > 0 && more; --i)
                ASSERT_EQ(Deepest(manager_->Async(&more)), 0);
            if (!more)
                CheckPageFileLengths();
            break;
        }
        case 10:
            ASSERT_EQ(Deepest(manager_->SetAdjustment(Pick(0, std::max(0, manager_->MaxAdjustment())))), 0);
            break;
        }
    }

    // Tiles beyond the new count go; the others keep their bytes.
    void Reshaped(ModelImage& m)
    {
        const size_t oldCount = m.tiles.size();
        Geometry(m);
        (void)oldCount;
    }

    void CheckPageFileLengths()
    {
        for (const VorlatPageFile& file : manager_->PageFiles()) {
            if (file.state != VorlatPageFile::kOpen)
                continue;
            std::error_code ec;
            const auto length = std::filesystem::file_size(file.path, ec);
            ASSERT_FALSE(ec);
            ASSERT_EQ(static_cast<int64_t>(length), static_cast<int64_t>(file.slots.size()) * manager_->TileBytes());
        }
    }

private:
    CVorlatManager* manager_;
    std::mt19937& random_;
};

void RunSeed(uint32_t seed)
{
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);
    const int32_t tileBytes = 1024;
    const int32_t budgetTiles = 3 + static_cast<int32_t>(random() % 8);
    CVorlatManager* manager = MakeManager(budgetTiles * tileBytes, tileBytes, "model");
    Model model(manager, random);
    std::vector<ModelImage> images(3);
    for (ModelImage& m : images) {
        m.usage = model.Pick(0, 2);
        m.code = 32;
        m.width = model.Pick(1, 80);
        m.height = model.Pick(1, 60);
        m.image = MakeImage(manager, m.usage, m.code, m.width, m.height);
        model.Geometry(m);
    }
    int32_t lockedPeak = 0;
    for (int step = 0; step < 400; ++step) {
        ModelImage& m = images[static_cast<size_t>(model.Pick(0, 2))];
        const int op = model.Pick(0, 11);
        model.Step(m, op);
        if (::testing::Test::HasFatalFailure())
            break;
        for (ModelImage& each : images) {
            model.SyncExistence(each);
            if (::testing::Test::HasFatalFailure())
                break;
        }
        // Now and then: reading the copies back costs more than all the other checks.
        if (step % 8 == 7 && !::testing::Test::HasFatalFailure())
            model.ComparePageCopies(images);
        lockedPeak = std::max(lockedPeak, manager->LockedCount());
        const std::string broken = manager->CheckInvariants();
        ASSERT_EQ(broken, "") << "after op " << op << " at step " << step;
        // Buffers stay within the budget, or the most tiles ever locked at once plus the one being locked.
        const int32_t buffers = manager->LockedCount() + manager->UnlockedInMemory() + manager->FreeCount();
        ASSERT_LE(buffers, std::max(manager->Budget(), lockedPeak + 1))
            << "after op " << op << " at step " << step << ": budget " << manager->Budget() << " adjustment "
            << manager->GetAdjustment() << " locked " << manager->LockedCount() << " unlocked in memory "
            << manager->UnlockedInMemory() << " free " << manager->FreeCount();
        // The slabs hold no more buffers than that either: they count against the budget.
        ASSERT_LE(manager->Slabs().Capacity(), std::max<int64_t>(manager->Budget(), lockedPeak + 1))
            << "after op " << op << " at step " << step;
    }
    for (ModelImage& m : images) {
        if (!::testing::Test::HasFatalFailure()) {
            model.UnlockAll(m);
            model.ReadAll(m);
        }
        m.image->Destroy();
    }
    manager->Destroy();
}

TEST(ManagerModel, RandomOperationsKeepDataAndRules)
{
    for (uint32_t seed = 1; seed <= 200 && !HasFatalFailure(); ++seed)
        RunSeed(seed);
}

} // namespace
