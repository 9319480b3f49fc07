// Sources of mosaic rows for the demosaic kernels, and their ring storage.
#include <algorithm>
#include <cstring>
#include <new>

#include "app/core/demosaic/debayer_base.h"
#include "app/core/demosaic/demosaic_kernel_impl.h"

namespace demosaic {

namespace {

constexpr int32_t kFile = kDeBayerModuleBase;

// A row segment of a mosaic touches at most three source tiles of the
// smallest tile size; a fourth keeps the next row's first tile from pushing
// out a tile still wanted.
constexpr int32_t kWindowTiles = 4;

} // namespace

IVorlatError* CBufferRows::Read(int32_t y, int32_t x, int32_t count, uint16_t* out)
{
    const uint16_t* row = data_ + static_cast<ptrdiff_t>(FoldMosaic(y, height_)) * stride_;
    int32_t i = 0;
    // Folded positions one by one; the run inside the mosaic as one copy.
    for (; i < count && x + i < 0; ++i)
        out[i] = row[FoldMosaic(x + i, width_)];
    if (i < count && x + i < width_) {
        const int32_t run = static_cast<int32_t>(std::min<int64_t>(count - i, static_cast<int64_t>(width_) - (x + i)));
        std::memcpy(out + i, row + x + i, static_cast<size_t>(run) * sizeof(uint16_t));
        i += run;
    }
    for (; i < count; ++i)
        out[i] = row[FoldMosaic(x + i, width_)];
    return nullptr;
}

CTileRows::CTileRows(const IVorlatDataSource* source) : window_(source, kWindowTiles, 2, 2) {}

IVorlatError* CTileRows::Read(int32_t y, int32_t x, int32_t count, uint16_t* out)
{
    IVorlatError* err = nullptr;
    for (int32_t i = 0; i < count;) {
        if (VorlatFailed(&err, kFile, __LINE__, window_.MoveTo(x + i, y)))
            return err;
        // A folded column gives one sample; otherwise step through the tile by pointer.
        const int32_t run = window_.xFolded ? 1 : std::min<int32_t>(count - i, window_.right + 1);
        const unsigned char* p = window_.pixel.GetPtr();
        std::memcpy(out + i, p, static_cast<size_t>(run) * sizeof(uint16_t));
        i += run;
    }
    return nullptr;
}

IVorlatError* CTileRows::Release()
{
    IVorlatError* err = nullptr;
    for (int32_t i = 0; i < window_.count; ++i)
        if (window_.held[i].tile)
            VorlatFailed(&err, kFile, __LINE__, window_.held[i].tile->Unlock());
    window_.count = 0;
    window_.ready = false;
    return err;
}

bool CRingBlock::Reserve(size_t bytes)
{
    if (bytes <= capacity_)
        return true;
    unsigned char* grown = new (std::nothrow) unsigned char[bytes];
    if (!grown)
        return false;
    delete[] block_;
    block_ = grown;
    capacity_ = bytes;
    return true;
}

void CRingBlock::Reset()
{
    if (block_)
        std::memset(block_, 0, capacity_);
    used_ = 0;
}

} // namespace demosaic
