// The base of every filter: the filter's output kept in a cache image whose
// tiles are made on demand, the begin/execute/end process protocol, watchers,
// the reaction to the sources' notifications, and the pixel pointers with which
// filters walk tile buffers.
#pragma once

#include <cstdint>
#include <cstring>
#include <map>

#include "Vorlat/Vorlat.h"
#include "filters/KolvexExport.h"

class CVorlatFilterWatcher;

// Module code of the base's own error frames (the filters put their code there).
constexpr int32_t kKolvexModuleBase = 32;
// A setter was given a value without a defined result; nothing was changed.
constexpr int32_t kKolvexErrBadSetting = 1011;

inline constexpr char kKolvexBadSourceSpace[] = "Bad source data color space";
inline constexpr char kKolvexBadDestinationSpace[] = "Bad destination data color space";

class KOLVEX_API CVorlatFilterBase : public IVorlatFilter {
public:
    // The record of one run of the process protocol, and of one tile made on demand.
    class KOLVEX_API CProcessInfo {
    public:
        CProcessInfo();
        CProcessInfo(const IVorlatDataSource** sources, int32_t count, IVorlatImage* destination);
        CProcessInfo(const CProcessInfo&) = delete;
        CProcessInfo& operator=(const CProcessInfo&) = delete;
        // Destroys the grid when the record still holds one.
        virtual ~CProcessInfo();
        virtual void Destroy();

        const IVorlatDataSource** sources;  // not owned
        int32_t sourceCount;
        IVorlatImage* destination;          // null when a tile is made on demand
        IVorlatTileGrid* grid;              // the whole destination; owned
        int32_t row;
        int32_t column;                     // tiles of the current row already done
    };

    // A position in a tile buffer of whole-byte pixels, with the pixel size and
    // the row stride. No bounds checks, no ownership.
    class CPixelPtr {
    public:
        CPixelPtr() : ptr_(nullptr), bits_(0), bytes_(0), rowBytes_(0) {}
        CPixelPtr(unsigned char* ptr, int32_t colorSpace, int32_t rowBytes)
            : ptr_(ptr), bits_(IVorlatDataSource::GetBitsPerPixel(colorSpace)), bytes_(bits_ / 8), rowBytes_(rowBytes)
        {
        }
        CPixelPtr(unsigned char* ptr, int32_t /*ignored*/, int32_t colorSpace, int32_t rowBytes)
            : CPixelPtr(ptr, colorSpace, rowBytes)
        {
        }
        CPixelPtr(int32_t colorSpace, int32_t rowBytes) : CPixelPtr(nullptr, colorSpace, rowBytes) {}

        unsigned char* GetPtr() const { return ptr_; }
        void SetPtr(unsigned char* ptr) { ptr_ = ptr; }
        int32_t GetBitsPerPixel() const { return bits_; }
        int32_t GetBytesPerPixel() const { return bytes_; }
        int32_t GetRowBytes() const { return rowBytes_; }

        CPixelPtr& IncX() { ptr_ += bytes_; return *this; }
        CPixelPtr& DecX() { ptr_ -= bytes_; return *this; }
        CPixelPtr& IncY() { ptr_ += rowBytes_; return *this; }
        CPixelPtr& DecY() { ptr_ -= rowBytes_; return *this; }
        CPixelPtr& MoveX(int32_t n) { ptr_ += static_cast<intptr_t>(n) * bytes_; return *this; }
        CPixelPtr& MoveY(int32_t n) { ptr_ += static_cast<intptr_t>(n) * rowBytes_; return *this; }
        CPixelPtr& Move(int32_t x, int32_t y) { return MoveX(x).MoveY(y); }
        CPixelPtr OffsetX(int32_t n) const { CPixelPtr p(*this); return p.MoveX(n); }
        CPixelPtr OffsetY(int32_t n) const { CPixelPtr p(*this); return p.MoveY(n); }
        CPixelPtr Offset(int32_t x, int32_t y) const { CPixelPtr p(*this); return p.Move(x, y); }

        bool operator==(const CPixelPtr& o) const { return Address() == o.Address(); }
        bool operator!=(const CPixelPtr& o) const { return Address() != o.Address(); }
        bool operator<(const CPixelPtr& o) const { return Address() < o.Address(); }
        bool operator<=(const CPixelPtr& o) const { return Address() <= o.Address(); }
        bool operator>(const CPixelPtr& o) const { return Address() > o.Address(); }
        bool operator>=(const CPixelPtr& o) const { return Address() >= o.Address(); }

        void CopyPixelTo(unsigned char* dst) const { CopyOne(dst, ptr_, bits_, bytes_); }
        void CopyPixelFrom(const unsigned char* src) const { CopyOne(ptr_, src, bits_, bytes_); }
        void CopyPixelTo(const CPixelPtr& dst) const { CopyOne(dst.ptr_, ptr_, bits_, bytes_); }
        void CopyPixelFrom(const CPixelPtr& src) const { CopyOne(ptr_, src.ptr_, src.bits_, src.bytes_); }
        void CopyPixelsTo(unsigned char* dst, int32_t n) const { CopyRun(dst, ptr_, n, bytes_); }
        void CopyPixelsFrom(const unsigned char* src, int32_t n) const { CopyRun(ptr_, src, n, bytes_); }
        void CopyPixelsTo(const CPixelPtr& dst, int32_t n) const { CopyRun(dst.ptr_, ptr_, n, bytes_); }
        void CopyPixelsFrom(const CPixelPtr& src, int32_t n) const { CopyRun(ptr_, src.ptr_, n, src.bytes_); }

        // One pixel sized by its depth; the common depths without a loop.
        static void CopyOne(unsigned char* dst, const unsigned char* src, int32_t bits, int32_t bytes)
        {
            switch (bits) {
            case 8: dst[0] = src[0]; break;
            case 16: std::memcpy(dst, src, 2); break;
            case 24: std::memcpy(dst, src, 3); break;
            case 32: std::memcpy(dst, src, 4); break;
            case 48: std::memcpy(dst, src, 4); std::memcpy(dst + 4, src + 4, 2); break;
            default: if (bytes > 0) std::memmove(dst, src, static_cast<size_t>(bytes)); break;
            }
        }
        static void CopyRun(unsigned char* dst, const unsigned char* src, int32_t n, int32_t bytes)
        {
            if (n > 0 && bytes > 0)
                std::memmove(dst, src, static_cast<size_t>(n) * static_cast<size_t>(bytes));
        }

    private:
        uintptr_t Address() const { return reinterpret_cast<uintptr_t>(ptr_); }

        unsigned char* ptr_;
        int32_t bits_;
        int32_t bytes_;
        int32_t rowBytes_;
    };

    // A position in a tile buffer of any depth, sub-byte layouts included: a
    // byte address plus the bit position of the pixel, counted from the most
    // significant bit.
    class KOLVEX_API CPixelBitPtr {
    public:
        CPixelBitPtr() : ptr_(nullptr), bit_(0), bits_(0), bytes_(0), mask_(0), rowBytes_(0), shift_(0) {}
        CPixelBitPtr(unsigned char* ptr, int32_t bitOffset, int32_t colorSpace, int32_t rowBytes);
        CPixelBitPtr(int32_t colorSpace, int32_t rowBytes) : CPixelBitPtr(nullptr, 0, colorSpace, rowBytes) {}

        unsigned char* GetPtr() const { return ptr_; }
        void SetPtr(unsigned char* ptr) { ptr_ = ptr; }
        int32_t GetBit() const { return bit_; }
        void SetBit(int32_t bit) { bit_ = bit; shift_ = 8 - bits_ - bit_; }
        int32_t GetBitsPerPixel() const { return bits_; }
        int32_t GetBytesPerPixel() const { return bytes_; }
        int32_t GetRowBytes() const { return rowBytes_; }

        unsigned char GetPixel() const { return static_cast<unsigned char>((*ptr_ >> shift_) & mask_); }
        void SetPixel(unsigned char v) const
        {
            *ptr_ = static_cast<unsigned char>((*ptr_ & ~(mask_ << shift_)) | ((v & mask_) << shift_));
        }

        CPixelBitPtr& IncX() { return MoveX(1); }
        CPixelBitPtr& DecX() { return MoveX(-1); }
        CPixelBitPtr& IncY() { ptr_ += rowBytes_; return *this; }
        CPixelBitPtr& DecY() { ptr_ -= rowBytes_; return *this; }
        CPixelBitPtr& MoveX(int32_t n);
        CPixelBitPtr& MoveY(int32_t n) { ptr_ += static_cast<intptr_t>(n) * rowBytes_; return *this; }
        CPixelBitPtr& Move(int32_t x, int32_t y) { return MoveX(x).MoveY(y); }
        CPixelBitPtr OffsetX(int32_t n) const { CPixelBitPtr p(*this); return p.MoveX(n); }
        CPixelBitPtr OffsetY(int32_t n) const { CPixelBitPtr p(*this); return p.MoveY(n); }
        CPixelBitPtr Offset(int32_t x, int32_t y) const { CPixelBitPtr p(*this); return p.Move(x, y); }

        bool operator==(const CPixelBitPtr& o) const { return Compare(o) == 0; }
        bool operator!=(const CPixelBitPtr& o) const { return Compare(o) != 0; }
        bool operator<(const CPixelBitPtr& o) const { return Compare(o) < 0; }
        bool operator<=(const CPixelBitPtr& o) const { return Compare(o) <= 0; }
        bool operator>(const CPixelBitPtr& o) const { return Compare(o) > 0; }
        bool operator>=(const CPixelBitPtr& o) const { return Compare(o) >= 0; }

        void CopyPixelTo(unsigned char* dst) const;
        void CopyPixelFrom(const unsigned char* src) const;
        void CopyPixelTo(const CPixelBitPtr& dst) const;
        void CopyPixelFrom(const CPixelBitPtr& src) const { src.CopyPixelTo(*this); }
        // Bit-exact for sub-byte layouts whatever the two bit positions are: the
        // target's bits outside the n pixels keep their values.
        void CopyPixelsTo(const CPixelBitPtr& dst, int32_t n) const;
        void CopyPixelsFrom(const CPixelBitPtr& src, int32_t n) const { src.CopyPixelsTo(*this, n); }
        // A plain buffer is taken as the same layout starting at its first bit.
        void CopyPixelsTo(unsigned char* dst, int32_t n) const;
        void CopyPixelsFrom(const unsigned char* src, int32_t n) const;

    private:
        int Compare(const CPixelBitPtr& o) const
        {
            const uintptr_t a = reinterpret_cast<uintptr_t>(ptr_), b = reinterpret_cast<uintptr_t>(o.ptr_);
            if (a != b)
                return a < b ? -1 : 1;
            return bit_ < o.bit_ ? -1 : (bit_ > o.bit_ ? 1 : 0);
        }

        unsigned char* ptr_;
        int32_t bit_;
        int32_t bits_;
        int32_t bytes_;
        unsigned char mask_;
        int32_t rowBytes_;
        int32_t shift_;
    };

    // An image of a filter's own, wrapping a real image of the filter's manager,
    // whose tiles a derived class makes on demand (GenerateCacheTile).
    class KOLVEX_API CIntermediateCache : public IVorlatImage {
    public:
        CIntermediateCache(CVorlatFilterBase* filter, CProcessInfo* info);

        IVorlatError* CreateImage();
        IVorlatError* Invalidate();
        IVorlatError* InvalidateRect(const RECT& rect);
        IVorlatError* LockAndGenerate(void** data, IVorlatTile* tile, BITMAPINFOHEADER** header) const;

        IVorlatError* GetWidth(int32_t* width) const override;
        IVorlatError* GetHeight(int32_t* height) const override;
        IVorlatError* GetColorSpace(int32_t* colorSpace) const override;
        IVorlatError* GetResolution(double* resolution) const override;
        IVorlatError* GetFlip(bool* flip) const override;
        IVorlatError* GetRotation(double* rotation) const override;
        IVorlatError* GetTileSize(int32_t* tileSize) const override;
        IVorlatError* GetPalette(VorlatPalette* palette) const override;
        IVorlatError* TileExists(bool* exists, const IVorlatTileID& id) const override;
        IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const override;
        IVorlatError* GetTile(IVorlatTile** tile, const IVorlatTileID& id) const override;
        IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const override;
        IVorlatError* LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                               const IVorlatTileGrid& grid, int32_t column, int32_t row,
                               BITMAPINFOHEADER** header) const override;
        IVorlatError* LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const override;
        IVorlatError* LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const override;
        IVorlatError* UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const override;
        IVorlatError* UnlockTile(const IVorlatTileID& id) const override;
        IVorlatError* UnlockTile(int32_t column, int32_t row) const override;
        IVorlatError* MapRect(IVorlatTileGrid** grid, const RECT& rect) const override;

        IVorlatManager* GetManager() const override;
        int32_t GetID() const override;
        int32_t GetUsage() const override;
        IVorlatError* SetUsage(int32_t usage) override;
        IVorlatError* SetSize(int32_t width, int32_t height) override;
        IVorlatError* SetColorSpace(int32_t colorSpace) override;
        IVorlatError* SetResolution(double resolution) override;
        IVorlatError* SetTransform(bool flip, double rotation, bool third) override;
        IVorlatError* SetPalette(const VorlatPalette& palette) override;
        int32_t GetDataSize(int32_t width, int32_t height, int32_t* rowBytes) override;
        IVorlatError* GetData(void* bits, int32_t rowBytes, const RECT& rect) override;
        IVorlatError* SetPixel(const VorlatPixel& pixel, int32_t x, int32_t y) override;
        IVorlatError* SetData(void* bits, int32_t rowBytes, bool flip, double rotation, const RECT& rect) override;
        IVorlatError* SetData(void* bits, int32_t rowBytes, const RECT& rect) override;

        // Fills the invalid part of one tile of the wrapped image.
        virtual IVorlatError* GenerateCacheTile(IVorlatTile* tile) const = 0;

    protected:
        ~CIntermediateCache() override;

        CVorlatFilterBase* filter_;
        CProcessInfo* info_;
        IVorlatImage* image_;
    };

    CVorlatFilterBase(IVorlatManager* manager, int32_t cacheUsage);
    CVorlatFilterBase(const CVorlatFilterBase&) = delete;
    CVorlatFilterBase& operator=(const CVorlatFilterBase&) = delete;
    ~CVorlatFilterBase() override;

    // Data source: answered from the cache image, or from the first source when
    // the filter is disabled or passes its source through.
    IVorlatError* VorlatAddedDataDestination(const IVorlatDataDestination* destination) override;
    IVorlatError* VorlatRemovedDataDestination(const IVorlatDataDestination* destination) override;
    IVorlatError* GetWidth(int32_t* width) const override;
    IVorlatError* GetHeight(int32_t* height) const override;
    IVorlatError* GetColorSpace(int32_t* colorSpace) const override;
    IVorlatError* GetResolution(double* resolution) const override;
    IVorlatError* GetFlip(bool* flip) const override;
    IVorlatError* GetRotation(double* rotation) const override;
    IVorlatError* GetTileSize(int32_t* tileSize) const override;
    IVorlatError* GetPalette(VorlatPalette* palette) const override;
    IVorlatError* TileExists(bool* exists, const IVorlatTileID& id) const override;
    IVorlatError* TileExists(bool* exists, int32_t column, int32_t row) const override;
    IVorlatError* GetTile(IVorlatTile** tile, const IVorlatTileID& id) const override;
    IVorlatError* GetTile(IVorlatTile** tile, int32_t column, int32_t row) const override;
    IVorlatError* LockTile(void** pixels, RECT* tileRect, RECT* usedRect, int32_t* rowBytes,
                           const IVorlatTileGrid& grid, int32_t column, int32_t row,
                           BITMAPINFOHEADER** header) const override;
    IVorlatError* LockTile(void** pixels, const IVorlatTileID& id, BITMAPINFOHEADER** header) const override;
    IVorlatError* LockTile(void** pixels, int32_t column, int32_t row, BITMAPINFOHEADER** header) const override;
    IVorlatError* UnlockTile(const IVorlatTileGrid& grid, int32_t column, int32_t row) const override;
    IVorlatError* UnlockTile(const IVorlatTileID& id) const override;
    IVorlatError* UnlockTile(int32_t column, int32_t row) const override;
    IVorlatError* MapRect(IVorlatTileGrid** grid, const RECT& rect) const override;

    IVorlatError* Enable(bool enable, bool notify) override;
    bool IsEnabled() const override;
    IVorlatManager* GetManager() const override;
    int32_t GetFilterID() const override;

    // The identity mapping; filters that move pixels override these.
    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* FilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource** sources,
                                int32_t count) const override;
    IVorlatError* DefilterRect(VorlatDblRect* rect, const IVorlatDataSource** sources, int32_t count) const override;
    IVorlatError* DefilterRect(RECT* rect, const IVorlatDataSource** sources, int32_t count) const override;

    IVorlatError* GenerateTile(IVorlatTile* tile, const IVorlatDataSource** sources, int32_t count) override;
    IVorlatError* Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* destination) override;
    IVorlatError* BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t count,
                               IVorlatImage* destination) override;
    IVorlatError* ExecuteProcess(int32_t id, int32_t* done, int32_t* total) override;
    IVorlatError* GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                 IVorlatImage** destination) override;
    IVorlatError* EndProcess(int32_t id) override;

    virtual int32_t GetCacheUsage() const;
    virtual IVorlatError* SetCacheUsage(int32_t usage);
    virtual IVorlatError* AddWatcher(CVorlatFilterWatcher* watcher);
    virtual IVorlatError* RemoveWatcher(CVorlatFilterWatcher* watcher);

    // Data destination.
    IVorlatError* VorlatNotify(const IVorlatDataSource* source, int32_t code, void* param) override;
    IVorlatError* VorlatAddedDataSource(const IVorlatDataSource* source) override;
    IVorlatError* VorlatRemovedDataSource(const IVorlatDataSource* source) override;

    // The connected sources as they stand (no copy).
    void GetSources(const IVorlatDataSource*** sources, int32_t* count) const;

protected:
    virtual IVorlatError* NotifyWatchers(int32_t code, void* data);
    virtual IVorlatError* LockAndGenerate(void** data, IVorlatTile* tile, BITMAPINFOHEADER** header);
    virtual IVorlatError* CheckCache();
    virtual IVorlatError* InvalidateCache(const RECT& rect);
    virtual IVorlatError* GetFilteredSize(const IVorlatDataSource** sources, int32_t count, int32_t* width,
                                          int32_t* height);
    virtual IVorlatError* GetFilteredColorSpace(const IVorlatDataSource** sources, int32_t count,
                                                int32_t* colorSpace);
    virtual IVorlatError* GetFilteredResolution(const IVorlatDataSource** sources, int32_t count,
                                                double* resolution);
    virtual IVorlatError* GetFilteredTransform(const IVorlatDataSource** sources, int32_t count, bool* flip,
                                               double* rotation);
    virtual IVorlatError* GetFilteredPalette(const IVorlatDataSource** sources, int32_t count,
                                             VorlatPalette* palette);
    virtual IVorlatError* FilterUser(const IVorlatDataSource* source, int32_t code, void* data);
    virtual IVorlatError* FilterData(const IVorlatDataSource* source, RECT* rect);
    virtual IVorlatError* FilterSize(const IVorlatDataSource* source, IVorlatDataDestination::ChangeSize* change);
    virtual IVorlatError* FilterColorSpace(const IVorlatDataSource* source,
                                           IVorlatDataDestination::ChangeColorSpace* change);
    virtual IVorlatError* FilterResolution(const IVorlatDataSource* source,
                                           IVorlatDataDestination::ChangeResolution* change);
    virtual IVorlatError* FilterTransform(const IVorlatDataSource* source,
                                          IVorlatDataDestination::ChangeTransform* change);
    virtual IVorlatError* FilterPalette(const IVorlatDataSource* source,
                                        IVorlatDataDestination::ChangePalette* change);
    virtual IVorlatError* FilterDestroy(const IVorlatDataSource* source);
    virtual IVorlatError* FilterUpdateAll(const IVorlatDataSource* source);
    // Fills the invalid part of one output tile; info is null for a tile made on demand.
    virtual IVorlatError* ProcessTile(IVorlatTile* tile, CProcessInfo* info) = 0;
    virtual CProcessInfo* AllocateProcessInfo(int32_t id, const IVorlatDataSource** sources, int32_t count,
                                              IVorlatImage* destination);

    // The first connected source, or null.
    const IVorlatDataSource* FirstSource() const;
    // The first of the given sources when a list is given, else the first of the filter's own.
    const IVorlatDataSource* ChosenSource(const IVorlatDataSource** sources, int32_t count) const;
    const IVorlatDataSource* ChosenSource(const CProcessInfo* info) const;
    // Steps 3 to 5 of a setter that changed a value: tell the destinations that
    // the whole first source changed, when asked, enabled and connected.
    IVorlatError* NotifyWholeSource(bool notify, int32_t module);
    // A frame "no single source connected" for a filter asked without one.
    static IVorlatError* NoSource(int32_t module, int32_t line);

    int32_t filterId_;
    IVorlatManager* manager_;
    IVorlatImage* cacheImage_;
    bool cacheDirty_;
    int32_t cacheUsage_;
    bool passThrough_;
    const IVorlatDataSource** sources_;
    int32_t sourceCount_;
    int32_t sourceCapacity_;
    IVorlatDataDestination** destinations_;
    int32_t destinationCount_;
    int32_t destinationCapacity_;
    bool enabled_;
    std::map<int32_t, CProcessInfo*> processes_;
    int32_t nextProcessId_;
    std::map<CVorlatFilterWatcher*, int32_t> watchers_;

private:
    friend class CVorlatFilterWatcher;

    bool AnswersFromSource() const { return !enabled_ || passThrough_; }
    template <typename Call>
    IVorlatError* Query(int32_t line, Call call) const;
    static IVorlatError* DropOrInvalidate(IVorlatTile* tile, const RECT& covered, const RECT& whole);
    // The part of the image's tiles inside the rectangle is made again; a tile
    // wholly inside goes away unless locked. The filter's cache and the
    // intermediate caches share it.
    static IVorlatError* InvalidateImageRect(IVorlatImage* image, const RECT& rect);
    // Steps 1 to 3 of a run: the destination takes the output geometry over these
    // sources; *whole is the output rectangle for the destination's grid.
    IVorlatError* SetUpDestination(const IVorlatDataSource** sources, int32_t count, IVorlatImage* destination,
                                   RECT* whole);
};

// An object that hears events of filters beyond the data notifications. Each
// side keeps its own count: a watcher that wants a filter's calls registers
// with the filter (AddWatcher) and starts watching it here.
class KOLVEX_API CVorlatFilterWatcher {
public:
    // The data of code 0, sent when a filter's watcher set changes.
    struct WatcherChange {
        int32_t change;  // 1 added, 0 removed
        CVorlatFilterWatcher* watcher;
        int32_t count;   // watchers now in the set
        CVorlatFilterWatcher** watchers;  // the set now, in the filter's order; lives for the call
    };

    CVorlatFilterWatcher();
    CVorlatFilterWatcher(const CVorlatFilterWatcher&) = delete;
    CVorlatFilterWatcher& operator=(const CVorlatFilterWatcher&) = delete;
    virtual ~CVorlatFilterWatcher();
    virtual IVorlatError* VorlatFilterNotify(CVorlatFilterBase* filter, int32_t code, void* data) = 0;

    void VorlatFilterStartWatching(CVorlatFilterBase* filter);
    void VorlatFilterStopWatching(CVorlatFilterBase* filter);

protected:
    std::map<CVorlatFilterBase*, int32_t> watching_;
};
