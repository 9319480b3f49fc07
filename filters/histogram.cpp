// The histogram filter: a pass-through whose tiles are counted as they go by.
#include <algorithm>
#include <cstring>
#include <new>

#include "filters/VorlatFilterHistogram.h"
#include "port/port.h"

namespace {

constexpr int32_t kFile = VorlatFourCC("hsto");

bool AllZero(const RECT& r) { return r.left == 0 && r.top == 0 && r.right == 0 && r.bottom == 0; }

struct Layout {
    int32_t channels;
    int32_t bits;
    int32_t firstChannel;
};

Layout LayoutOf(int32_t colorSpace)
{
    switch (colorSpace) {
    case 3: case 64: case 65: return {1, 16, 0};
    case 32: case 38: return {4, 8, 0};
    case 33: return {4, 16, 0};
    case 34: return {5, 8, 0};
    case 35: case 36: case 37: return {3, 16, 1};
    case 39: return {3, 8, 1};
    default: return {1, 8, 0};
    }
}

inline uint32_t Word(const unsigned char* p)
{
    uint16_t w;
    std::memcpy(&w, p, 2);
    return w;
}

} // namespace

CVorlatFilterHistogram::CVorlatFilterHistogram(IVorlatManager* manager)
    : CVorlatFilterBase(manager, kVorlatUsageDiscardable), counts_(nullptr), countLength_(0), source_(nullptr),
      crop_{0, 0, 0, 0}, work_{0, 0, 0, 0}, columns_(1), firstColumn_(0), firstRow_(0), tileSize_(0),
      colorSpace_(0), width_(0), height_(0), bits_(0), channels_(0), firstChannel_(0), runActive_(false),
      runGrid_(nullptr), runColumn_(0), runRow_(0), runDestination_(nullptr), runSource_(nullptr)
{
}

CVorlatFilterHistogram::~CVorlatFilterHistogram()
{
    delete[] counts_;
    if (runGrid_)
        runGrid_->Destroy();
}

int32_t CVorlatFilterHistogram::GetFilterCode() const { return VorlatFourCC("hsto"); }

const char* CVorlatFilterHistogram::GetFilterDescription() const { return "Histogram Filter"; }

// ---- The source ----------------------------------------------------------------------

IVorlatError* CVorlatFilterHistogram::GetSource() const
{
    IVorlatError* err = nullptr;
    if (source_)
        return nullptr;
    flags_.clear();
    columns_ = 1;
    firstColumn_ = firstRow_ = 0;
    int32_t count = 0;
    if (VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSourceCount(this, &count)))
        return err;
    if (count == 1)
        VorlatFailed(&err, kFile, __LINE__, VorlatGetDataSource(this, &source_));
    return err;
}

template <typename Call>
IVorlatError* CVorlatFilterHistogram::Forward(int32_t line, Call call) const
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, line, GetSource()))
        return err;
    if (!source_)
        return NoSource(kFile, line);
    VorlatFailed(&err, kFile, line, call(*source_));
    return err;
}

IVorlatError* CVorlatFilterHistogram::GetWidth(int32_t* width) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetWidth(width); });
}

IVorlatError* CVorlatFilterHistogram::GetHeight(int32_t* height) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetHeight(height); });
}

IVorlatError* CVorlatFilterHistogram::GetColorSpace(int32_t* colorSpace) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetColorSpace(colorSpace); });
}

IVorlatError* CVorlatFilterHistogram::GetResolution(double* resolution) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetResolution(resolution); });
}

IVorlatError* CVorlatFilterHistogram::GetFlip(bool* flip) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetFlip(flip); });
}

IVorlatError* CVorlatFilterHistogram::GetRotation(double* rotation) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetRotation(rotation); });
}

IVorlatError* CVorlatFilterHistogram::GetTileSize(int32_t* tileSize) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTileSize(tileSize); });
}

IVorlatError* CVorlatFilterHistogram::GetPalette(VorlatPalette* palette) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetPalette(palette); });
}

IVorlatError* CVorlatFilterHistogram::TileExists(bool* exists, const IVorlatTileID& id) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.TileExists(exists, id); });
}

IVorlatError* CVorlatFilterHistogram::TileExists(bool* exists, int32_t column, int32_t row) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.TileExists(exists, column, row); });
}

IVorlatError* CVorlatFilterHistogram::GetTile(IVorlatTile** tile, const IVorlatTileID& id) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTile(tile, id); });
}

IVorlatError* CVorlatFilterHistogram::GetTile(IVorlatTile** tile, int32_t column, int32_t row) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.GetTile(tile, column, row); });
}

IVorlatError* CVorlatFilterHistogram::UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(grid, column, row); });
}

IVorlatError* CVorlatFilterHistogram::UnlockTile(const IVorlatTileID& id) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(id); });
}

IVorlatError* CVorlatFilterHistogram::UnlockTile(int32_t column, int32_t row) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.UnlockTile(column, row); });
}

IVorlatError* CVorlatFilterHistogram::MapRect(IVorlatTileGrid** grid, const RECT& rect) const
{
    return Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.MapRect(grid, rect); });
}

// ---- Locks that count ----------------------------------------------------------------

IVorlatError* CVorlatFilterHistogram::CountLocked(void* data, const RECT& tileRect, int32_t rowBytes,
                                                 int32_t line) const
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, line, const_cast<CVorlatFilterHistogram*>(this)->DoHistogram(data, tileRect, rowBytes));
    return err;
}

IVorlatError* CVorlatFilterHistogram::LockTile(void** pixels, int32_t column, int32_t row,
                                               BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__,
                     Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.LockTile(pixels, column, row, header); })))
        return err;
    IVorlatTile* tile = nullptr;
    int32_t rowBytes = 0;
    RECT rect;
    if (!VorlatFailed(&err, kFile, __LINE__, source_->GetTile(&tile, column, row)) &&
        !VorlatFailed(&err, kFile, __LINE__, source_->GetRowBytes(&rowBytes))) {
        tile->GetCoordinates(&rect);
        err = CountLocked(*pixels, rect, rowBytes, __LINE__);
    }
    // A failed count hands nothing out: the tile is not left locked.
    if (err) {
        IVorlatError* unlock = source_->UnlockTile(column, row);
        if (unlock)
            unlock->Destroy();
    }
    return err;
}

IVorlatError* CVorlatFilterHistogram::LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__,
                     Forward(__LINE__, [&](const IVorlatDataSource& s) { return s.LockTile(pixels, id, header); })))
        return err;
    IVorlatTile* tile = nullptr;
    int32_t rowBytes = 0;
    RECT rect;
    if (!VorlatFailed(&err, kFile, __LINE__, source_->GetTile(&tile, id)) &&
        !VorlatFailed(&err, kFile, __LINE__, source_->GetRowBytes(&rowBytes))) {
        tile->GetCoordinates(&rect);
        err = CountLocked(*pixels, rect, rowBytes, __LINE__);
    }
    if (err) {
        IVorlatError* unlock = source_->UnlockTile(id);
        if (unlock)
            unlock->Destroy();
    }
    return err;
}

IVorlatError* CVorlatFilterHistogram::LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                                               const IVorlatTileGrid& grid, int32_t column, int32_t row,
                                               BITMAPINFOHEADER** header) const
{
    IVorlatError* err = nullptr;
    int32_t stride = 0;
    if (VorlatFailed(&err, kFile, __LINE__, Forward(__LINE__, [&](const IVorlatDataSource& s) {
                         return s.LockTile(pixels, tileRect, usedRect, &stride, grid, column, row, header);
                     })))
        return err;
    if (rowBytes)
        *rowBytes = stride;
    err = CountLocked(*pixels, *tileRect, stride, __LINE__);
    if (err) {
        IVorlatError* unlock = source_->UnlockTile(grid, column, row);
        if (unlock)
            unlock->Destroy();
    }
    return err;
}

// ---- Counting -----------------------------------------------------------------------

IVorlatError* CVorlatFilterHistogram::AllocateHistogram(uint32_t entries)
{
    counts_ = new (std::nothrow) uint32_t[entries];
    if (!counts_)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    countLength_ = entries;
    return nullptr;
}

void CVorlatFilterHistogram::FreeHistogram()
{
    delete[] counts_;
    counts_ = nullptr;
    countLength_ = 0;
}

IVorlatError* CVorlatFilterHistogram::Initialize()
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, GetSource()))
        return err;
    if (!source_)
        return NoSource(kFile, __LINE__);
    if (VorlatFailed(&err, kFile, __LINE__, source_->GetSize(&width_, &height_)) ||
        VorlatFailed(&err, kFile, __LINE__, source_->GetTileSize(&tileSize_)) ||
        VorlatFailed(&err, kFile, __LINE__, source_->GetColorSpace(&colorSpace_)))
        return err;
    // Without tiles there is no grid to count over.
    if (tileSize_ <= 0)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrColorSpace);
    const Layout layout = LayoutOf(colorSpace_);
    channels_ = layout.channels;
    bits_ = layout.bits;
    firstChannel_ = layout.firstChannel;
    const uint32_t entries = static_cast<uint32_t>(channels_) << bits_;
    if (counts_ && countLength_ != entries)
        FreeHistogram();
    if (!counts_ && VorlatFailed(&err, kFile, __LINE__, AllocateHistogram(entries)))
        return err;
    std::fill(counts_, counts_ + countLength_, 0u);

    if (!AllZero(crop_)) {
        work_.left = std::clamp<int32_t>(std::min<int32_t>(crop_.left, crop_.right), 0, width_);
        work_.right = std::clamp<int32_t>(std::max<int32_t>(crop_.left, crop_.right), 0, width_);
        work_.top = std::clamp<int32_t>(std::min<int32_t>(crop_.top, crop_.bottom), 0, height_);
        work_.bottom = std::clamp<int32_t>(std::max<int32_t>(crop_.top, crop_.bottom), 0, height_);
    } else {
        work_ = RECT{0, 0, width_, height_};
    }
    firstColumn_ = work_.left / tileSize_;
    firstRow_ = work_.top / tileSize_;
    const int32_t endColumn = static_cast<int32_t>((static_cast<int64_t>(work_.right) + tileSize_ - 1) / tileSize_);
    const int32_t endRow = static_cast<int32_t>((static_cast<int64_t>(work_.bottom) + tileSize_ - 1) / tileSize_);
    columns_ = endColumn - firstColumn_;
    try {
        flags_.assign(static_cast<size_t>(std::max(0, endRow - firstRow_)) * static_cast<size_t>(std::max(0, columns_)),
                      0);
    } catch (const std::bad_alloc&) {
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAllocation);
    }
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::DoHistogram(void* data, const RECT& tileRect, int32_t rowBytes)
{
    IVorlatError* err = nullptr;
    if (!enabled_)
        return nullptr;
    if (flags_.empty() && VorlatFailed(&err, kFile, __LINE__, Initialize()))
        return err;
    if (tileSize_ <= 0 || columns_ <= 0)
        return nullptr;
    const int32_t column = tileRect.left / tileSize_ - firstColumn_;
    const int32_t row = tileRect.top / tileSize_ - firstRow_;
    if (column < 0 || column >= columns_ || row < 0)
        return nullptr;
    const size_t index = static_cast<size_t>(row) * static_cast<size_t>(columns_) + static_cast<size_t>(column);
    if (index >= flags_.size() || flags_[index])
        return nullptr;
    flags_[index] = 1;

    const RECT in{std::max<int32_t>(tileRect.left, work_.left), std::max<int32_t>(tileRect.top, work_.top),
                  std::min<int32_t>(tileRect.right, work_.right), std::min<int32_t>(tileRect.bottom, work_.bottom)};
    const int32_t pixelBytes = GetBitsPerPixel(colorSpace_) / 8;
    const size_t bins = size_t{1} << bits_;
    uint32_t* c0 = counts_;
    auto bin = [&](int32_t channel) { return counts_ + static_cast<size_t>(channel - firstChannel_) * bins; };
    for (int32_t y = in.top; y < in.bottom; ++y) {
        const unsigned char* p = static_cast<const unsigned char*>(data) +
                                 static_cast<intptr_t>(y - tileRect.top) * rowBytes +
                                 static_cast<intptr_t>(in.left - tileRect.left) * pixelBytes;
        for (int32_t x = in.left; x < in.right; ++x, p += pixelBytes) {
            switch (colorSpace_) {
            case 2: case 19:
                c0[p[0]]++;
                break;
            case 3: case 64: case 65:
                c0[Word(p)]++;
                break;
            case 32: case 38:
                c0[(p[0] + p[1] + p[2]) / 3]++;
                bin(1)[p[0]]++;
                bin(2)[p[1]]++;
                bin(3)[p[2]]++;
                break;
            case 33:
                c0[(Word(p) + Word(p + 2) + Word(p + 4)) / 3]++;
                bin(1)[Word(p)]++;
                bin(2)[Word(p + 2)]++;
                bin(3)[Word(p + 4)]++;
                break;
            case 34:
                c0[(p[0] + p[1] + 2 * p[2]) / 4]++;
                bin(1)[p[0]]++;
                bin(2)[p[1]]++;
                bin(3)[p[2]]++;
                bin(4)[p[3]]++;
                break;
            case 35: case 36: case 37:
                bin(1)[Word(p)]++;
                bin(2)[Word(p + 2)]++;
                bin(3)[Word(p + 4)]++;
                break;
            case 39:
                bin(1)[p[0]]++;
                bin(2)[p[1]]++;
                bin(3)[p[2]]++;
                break;
            default:
                break;
            }
        }
    }

    const bool complete = IsComplete();
    if (VorlatFailed(&err, kFile, __LINE__, NotifyWatchers(VorlatFourCC("hsto") + (complete ? 1 : 0), nullptr)))
        return err;
    VorlatFailed(&err, kFile, __LINE__,
                 VorlatSendDataNotification(this, complete ? kVorlatNotifyHistogramComplete : kVorlatNotifyHistogramPartial,
                                            this));
    return err;
}

int32_t CVorlatFilterHistogram::GetHistogram(int32_t channel, uint32_t* out, int32_t bits) const
{
    const int32_t c = channel - firstChannel_;
    if (bits_ == 0 || !counts_ || c < 0 || c >= channels_ || bits < 0)
        return 0;
    bits = std::min(bits, bits_);
    const uint32_t* in = counts_ + (static_cast<size_t>(c) << bits_);
    const size_t outBins = size_t{1} << bits;
    const size_t group = size_t{1} << (bits_ - bits);
    for (size_t i = 0; i < outBins; ++i) {
        uint32_t sum = 0;
        for (size_t j = 0; j < group; ++j)
            sum += in[i * group + j];
        out[i] = sum;
    }
    return bits;
}

int32_t CVorlatFilterHistogram::GetNativeBits() const { return bits_; }

bool CVorlatFilterHistogram::IsComplete() const
{
    return source_ && !flags_.empty() && std::all_of(flags_.begin(), flags_.end(), [](uint8_t f) { return f != 0; });
}

IVorlatError* CVorlatFilterHistogram::SetCrop(const RECT& crop)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, GetSource()))
        return err;
    if (crop.left == crop_.left && crop.top == crop_.top && crop.right == crop_.right && crop.bottom == crop_.bottom)
        return nullptr;
    crop_ = crop;
    flags_.clear();
    columns_ = 1;
    return nullptr;
}

const RECT& CVorlatFilterHistogram::GetCrop() const { return crop_; }

IVorlatError* CVorlatFilterHistogram::LockAndRelease(uint32_t index)
{
    IVorlatError* err = nullptr;
    const int32_t column = firstColumn_ + static_cast<int32_t>(index % static_cast<uint32_t>(columns_));
    const int32_t row = firstRow_ + static_cast<int32_t>(index / static_cast<uint32_t>(columns_));
    void* pixels = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, LockTile(&pixels, column, row, nullptr)))
        return err;
    VorlatFailed(&err, kFile, __LINE__, UnlockTile(column, row));
    return err;
}

IVorlatError* CVorlatFilterHistogram::CalculateTile(uint32_t index)
{
    IVorlatError* err = nullptr;
    VorlatFailed(&err, kFile, __LINE__, LockAndRelease(index));
    return err;
}

IVorlatError* CVorlatFilterHistogram::SpendTime(uint32_t milliseconds)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, GetSource()))
        return err;
    if (!source_)
        return NoSource(kFile, __LINE__);
    const uint32_t start = port::TickCount();
    if (flags_.empty() && VorlatFailed(&err, kFile, __LINE__, Initialize()))
        return err;
    while (port::TickCount() - start < milliseconds) {
        auto open = std::find(flags_.begin(), flags_.end(), 0);
        if (open == flags_.end())
            break;
        if (VorlatFailed(&err, kFile, __LINE__, LockAndRelease(static_cast<uint32_t>(open - flags_.begin()))))
            break;
    }
    return err;
}

IVorlatError* CVorlatFilterHistogram::ForceCompletion()
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, GetSource()))
        return err;
    if (!source_)
        return NoSource(kFile, __LINE__);
    if (flags_.empty() && VorlatFailed(&err, kFile, __LINE__, Initialize()))
        return err;
    for (size_t i = flags_.size(); i-- > 0;) {
        // A notification on the way may have made the counting start over.
        if (i >= flags_.size() || flags_[i])
            continue;
        if (VorlatFailed(&err, kFile, __LINE__, LockAndRelease(static_cast<uint32_t>(i))))
            break;
    }
    return err;
}

// ---- Other operations -------------------------------------------------------------

IVorlatError* CVorlatFilterHistogram::Enable(bool enable, bool)
{
    enabled_ = enable;
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::GenerateTile(IVorlatTile*, const IVorlatDataSource**, int32_t)
{
    return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrState);
}

IVorlatError* CVorlatFilterHistogram::ProcessTile(IVorlatTile*, CProcessInfo*) { return nullptr; }

IVorlatError* CVorlatFilterHistogram::VorlatNotify(const IVorlatDataSource*, int32_t code, void* param)
{
    IVorlatError* err = nullptr;
    if (code == kVorlatNotifyDataChanged || code == kVorlatNotifySize || code == kVorlatNotifyColorSpace ||
        code == kVorlatNotifyTransform || code == kVorlatNotifyUpdateAll)
        ForgetSource();
    VorlatFailed(&err, kFile, __LINE__, VorlatSendDataNotification(this, code, param));
    return err;
}

IVorlatError* CVorlatFilterHistogram::VorlatAddedDataSource(const IVorlatDataSource* source)
{
    IVorlatError* err = nullptr;
    ForgetSource();
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::VorlatAddedDataSource(source));
    return err;
}

IVorlatError* CVorlatFilterHistogram::VorlatRemovedDataSource(const IVorlatDataSource* source)
{
    IVorlatError* err = nullptr;
    ForgetSource();
    VorlatFailed(&err, kFile, __LINE__, CVorlatFilterBase::VorlatRemovedDataSource(source));
    return err;
}

// ---- Process protocol ---------------------------------------------------------------

IVorlatError* CVorlatFilterHistogram::BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                                                   IVorlatImage* destination)
{
    IVorlatError* err = nullptr;
    if (runActive_)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrAlreadyPresent);
    if (!sources || count < 1 || !sources[0])
        return NoSource(kFile, __LINE__);
    runDestination_ = destination;
    runSource_ = sources[0];
    source_ = sources[0];
    crop_ = RECT{0, 0, 0, 0};
    if (VorlatFailed(&err, kFile, __LINE__, Initialize()))
        return err;
    double resolution = 0.0, rotation = 0.0;
    bool flip = false;
    VorlatPalette palette{};
    if (VorlatFailed(&err, kFile, __LINE__, source_->GetResolution(&resolution)) ||
        VorlatFailed(&err, kFile, __LINE__, source_->GetTransform(&flip, &rotation)) ||
        VorlatFailed(&err, kFile, __LINE__, source_->GetPalette(&palette)))
        return err;
    if (destination &&
        (VorlatFailed(&err, kFile, __LINE__, destination->SetSize(width_, height_)) ||
         VorlatFailed(&err, kFile, __LINE__, destination->SetColorSpace(colorSpace_)) ||
         VorlatFailed(&err, kFile, __LINE__, destination->SetResolution(resolution)) ||
         VorlatFailed(&err, kFile, __LINE__, destination->SetTransform(flip, rotation, false)) ||
         VorlatFailed(&err, kFile, __LINE__, destination->SetPalette(palette))))
        return err;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, source_->MapRect(&grid, work_)))
        return err;
    if (runGrid_)
        runGrid_->Destroy();
    runGrid_ = grid;
    runColumn_ = runRow_ = 0;
    runActive_ = true;
    *id = 1;
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::CopyToDestination(const void* data, const RECT& tileRect, const RECT& used,
                                                        int32_t rowBytes)
{
    IVorlatError* err = nullptr;
    IVorlatTileGrid* grid = nullptr;
    if (VorlatFailed(&err, kFile, __LINE__, runDestination_->MapRect(&grid, used)) || !grid)
        return err;
    // Each side has its own tile geometry: the covered rectangle goes across row by row.
    for (int32_t gy = 0; gy < grid->GetRows() && !err; ++gy) {
        for (int32_t gx = 0; gx < grid->GetColumns() && !err; ++gx) {
            IVorlatTile* tile = nullptr;
            void* cell = nullptr;
            RECT a, b;
            int32_t cellRowBytes = 0;
            if (VorlatFailed(&err, kFile, __LINE__, grid->GetTile(&tile, gx, gy)) ||
                VorlatFailed(&err, kFile, __LINE__,
                             runDestination_->LockTile(&cell, &a, &b, &cellRowBytes, *grid, gx, gy, nullptr)))
                break;
            for (int32_t y = b.top; y < b.bottom; ++y) {
                CPixelBitPtr from(const_cast<unsigned char*>(static_cast<const unsigned char*>(data)), 0, colorSpace_,
                                  rowBytes);
                from.Move(b.left - tileRect.left, y - tileRect.top);
                CPixelBitPtr to(static_cast<unsigned char*>(cell), 0, colorSpace_, cellRowBytes);
                to.Move(b.left - a.left, y - a.top);
                from.CopyPixelsTo(to, b.right - b.left);
            }
            tile->SetDirty(true);
            VorlatFailed(&err, kFile, __LINE__, runDestination_->UnlockTile(*grid, gx, gy));
        }
    }
    grid->Destroy();
    return err;
}

IVorlatError* CVorlatFilterHistogram::ExecuteProcess(int32_t id, int32_t* done, int32_t* total)
{
    IVorlatError* err = nullptr;
    if (id != 1 || !runActive_)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    auto report = [&](int32_t d, int32_t t) {
        if (done)
            *done = d;
        if (total)
            *total = t;
    };
    if (!runGrid_) {
        report(0, 0);
        return nullptr;
    }
    const int32_t columns = runGrid_->GetColumns();
    const int32_t rows = runGrid_->GetRows();
    if (runColumn_ == columns) {
        runColumn_ = 0;
        ++runRow_;
    }
    if (runRow_ >= rows) {
        runGrid_->Destroy();
        runGrid_ = nullptr;
        report(0, 0);
        return nullptr;
    }
    void* data = nullptr;
    RECT tileRect, used;
    int32_t rowBytes = 0;
    if (VorlatFailed(&err, kFile, __LINE__,
                     LockTile(&data, &tileRect, &used, &rowBytes, *runGrid_, runColumn_, runRow_, nullptr)))
        return err;
    if (runDestination_)
        VorlatFailed(&err, kFile, __LINE__, CopyToDestination(data, tileRect, used, rowBytes));
    VorlatFailed(&err, kFile, __LINE__, UnlockTile(*runGrid_, runColumn_, runRow_));
    if (err)
        return err;
    ++runColumn_;
    report(columns * runRow_ + runColumn_, columns * rows);
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                                     IVorlatImage** destination)
{
    if (id != 1 || !runActive_)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    *sources = &runSource_;
    *count = 1;
    *destination = runDestination_;
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::EndProcess(int32_t id)
{
    if (id != 1 || !runActive_)
        return IVorlatError::Add(nullptr, kFile, __LINE__, kVorlatFromSystem, kVorlatErrNoSuchId);
    if (runGrid_)
        runGrid_->Destroy();
    runGrid_ = nullptr;
    runActive_ = false;
    runDestination_ = nullptr;
    runSource_ = nullptr;
    ForgetSource();
    return nullptr;
}

IVorlatError* CVorlatFilterHistogram::Process(const IVorlatDataSource** sources, int32_t count,
                                              IVorlatImage* destination)
{
    IVorlatError* err = nullptr;
    int32_t id = 0;
    if (VorlatFailed(&err, kFile, __LINE__, BeginProcess(&id, sources, count, destination)))
        return err;
    int32_t done = 0, total = 0;
    do {
        if (VorlatFailed(&err, kFile, __LINE__, ExecuteProcess(id, &done, &total)))
            break;
    } while (total != 0 && done < total);
    VorlatFailed(&err, kFile, __LINE__, EndProcess(id));
    return err;
}
