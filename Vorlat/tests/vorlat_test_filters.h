// Small sources and filters for the registry and chain tests. The filter
// follows the begin/execute/end protocol of the standard filters: one
// destination tile per ExecuteProcess, then 0 of 0.
#pragma once

#include <map>
#include <memory>

#include "vorlat_test_util.h"

namespace vorlat_test {

// A data source that answers fixed values and has no tiles.
class StubSource : public IVorlatDataSource {
public:
    StubSource() = default;
    ~StubSource() override = default;

    int32_t width = 10, height = 20;
    int32_t refuseRemoval = 0;
    IVorlatDataSource* substitute = nullptr;

    IVorlatError* VorlatAddDataDestinationCheck(IVorlatDataSource** s, const IVorlatDataDestination*) const override
    {
        if (substitute)
            *s = substitute;
        return nullptr;
    }
    IVorlatError* VorlatRemoveDataDestinationCheck(const IVorlatDataDestination*) const override
    {
        return refuseRemoval ? IVorlatError::Add(nullptr, 99, 1, 0, refuseRemoval) : nullptr;
    }
    IVorlatError* GetWidth(int32_t* w) const override { *w = width; return nullptr; }
    IVorlatError* GetHeight(int32_t* h) const override { *h = height; return nullptr; }
    IVorlatError* GetColorSpace(int32_t* c) const override { *c = 32; return nullptr; }
    IVorlatError* GetResolution(double* r) const override { *r = 300.0; return nullptr; }
    IVorlatError* GetFlip(bool* f) const override { *f = true; return nullptr; }
    IVorlatError* GetRotation(double* r) const override { *r = 90.0; return nullptr; }
    IVorlatError* GetTileSize(int32_t* t) const override { *t = 0; return nullptr; }
    IVorlatError* GetPalette(VorlatPalette*) const override { return nullptr; }
    IVorlatError* TileExists(bool* e, const IVorlatTileID&) const override { *e = false; return nullptr; }
    IVorlatError* TileExists(bool* e, int32_t, int32_t) const override { *e = false; return nullptr; }
    IVorlatError* GetTile(IVorlatTile**, const IVorlatTileID&) const override { return Refuse(); }
    IVorlatError* GetTile(IVorlatTile**, int32_t, int32_t) const override { return Refuse(); }
    IVorlatError* LockTile(void**, RECT*, RECT*, int32_t*, const IVorlatTileGrid&, int32_t, int32_t,
                           BITMAPINFOHEADER**) const override { return Refuse(); }
    IVorlatError* LockTile(void**, const IVorlatTileID&, BITMAPINFOHEADER**) const override { return Refuse(); }
    IVorlatError* LockTile(void**, int32_t, int32_t, BITMAPINFOHEADER**) const override { return Refuse(); }
    IVorlatError* UnlockTile(const IVorlatTileGrid&, int32_t, int32_t) const override { return Refuse(); }
    IVorlatError* UnlockTile(const IVorlatTileID&) const override { return Refuse(); }
    IVorlatError* UnlockTile(int32_t, int32_t) const override { return Refuse(); }
    IVorlatError* MapRect(IVorlatTileGrid** g, const RECT&) const override { *g = nullptr; return Refuse(); }

private:
    static IVorlatError* Refuse() { return IVorlatError::Add(nullptr, 99, 1, 0, kVorlatErrState); }
};

// A filter that adds a constant to every byte of its source and shifts points by (shift, shift).
class AddFilter : public IVorlatFilter {
public:
    AddFilter(IVorlatManager* manager, int32_t code, int32_t id, uint8_t add, int32_t shift)
        : manager_(manager), code_(code), id_(id), add_(add), shift_(shift)
    {
    }
    ~AddFilter() override
    {
        if (IVorlatError* e = VorlatForgetDataDestination(this))
            e->Destroy();
        if (IVorlatError* e = VorlatForgetDataSource(this))
            e->Destroy();
    }

    std::vector<IVorlatImage*> written;  // destinations of the runs, in order
    bool enabled = true;

    const IVorlatDataSource* Source() const
    {
        const IVorlatDataSource* s = nullptr;
        IVorlatError* e = VorlatGetDataSource(this, &s);
        if (e)
            e->Destroy();
        return s;
    }

#define ADD_FILTER_FORWARD(call)                                  \
    {                                                             \
        const IVorlatDataSource* s = Source();                    \
        if (!s)                                                   \
            return IVorlatError::Add(nullptr, 98, 1, 0, 1003);    \
        return s->call;                                           \
    }
    IVorlatError* GetWidth(int32_t* w) const override ADD_FILTER_FORWARD(GetWidth(w))
    IVorlatError* GetHeight(int32_t* h) const override ADD_FILTER_FORWARD(GetHeight(h))
    IVorlatError* GetColorSpace(int32_t* c) const override ADD_FILTER_FORWARD(GetColorSpace(c))
    IVorlatError* GetResolution(double* r) const override ADD_FILTER_FORWARD(GetResolution(r))
    IVorlatError* GetFlip(bool* f) const override ADD_FILTER_FORWARD(GetFlip(f))
    IVorlatError* GetRotation(double* r) const override ADD_FILTER_FORWARD(GetRotation(r))
    IVorlatError* GetTileSize(int32_t* t) const override ADD_FILTER_FORWARD(GetTileSize(t))
    IVorlatError* GetPalette(VorlatPalette* p) const override ADD_FILTER_FORWARD(GetPalette(p))
    IVorlatError* TileExists(bool* e, const IVorlatTileID& id) const override ADD_FILTER_FORWARD(TileExists(e, id))
    IVorlatError* TileExists(bool* e, int32_t c, int32_t r) const override ADD_FILTER_FORWARD(TileExists(e, c, r))
    IVorlatError* GetTile(IVorlatTile** t, const IVorlatTileID& id) const override ADD_FILTER_FORWARD(GetTile(t, id))
    IVorlatError* GetTile(IVorlatTile** t, int32_t c, int32_t r) const override ADD_FILTER_FORWARD(GetTile(t, c, r))
    IVorlatError* LockTile(void** p, RECT* tr, RECT* ur, int32_t* rb, const IVorlatTileGrid& g, int32_t c, int32_t r,
                           BITMAPINFOHEADER** h) const override ADD_FILTER_FORWARD(LockTile(p, tr, ur, rb, g, c, r, h))
    IVorlatError* LockTile(void** p, const IVorlatTileID& id, BITMAPINFOHEADER** h) const override
        ADD_FILTER_FORWARD(LockTile(p, id, h))
    IVorlatError* LockTile(void** p, int32_t c, int32_t r, BITMAPINFOHEADER** h) const override
        ADD_FILTER_FORWARD(LockTile(p, c, r, h))
    IVorlatError* UnlockTile(const IVorlatTileGrid& g, int32_t c, int32_t r) const override
        ADD_FILTER_FORWARD(UnlockTile(g, c, r))
    IVorlatError* UnlockTile(const IVorlatTileID& id) const override ADD_FILTER_FORWARD(UnlockTile(id))
    IVorlatError* UnlockTile(int32_t c, int32_t r) const override ADD_FILTER_FORWARD(UnlockTile(c, r))
    IVorlatError* MapRect(IVorlatTileGrid** g, const RECT& r) const override ADD_FILTER_FORWARD(MapRect(g, r))
#undef ADD_FILTER_FORWARD

    IVorlatError* VorlatNotify(const IVorlatDataSource*, int32_t code, void* param) override
    {
        return VorlatSendDataNotification(this, code, param);
    }

    IVorlatError* Enable(bool enable, bool) override { enabled = enable; return nullptr; }
    bool IsEnabled() const override { return enabled; }
    IVorlatManager* GetManager() const override { return manager_; }
    int32_t GetFilterID() const override { return id_; }
    int32_t GetFilterCode() const override { return code_; }
    const char* GetFilterDescription() const override { return "Add"; }

    IVorlatError* FilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const override
    {
        *x += shift_;
        *y += shift_;
        return nullptr;
    }
    IVorlatError* FilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const override
    {
        *x += shift_;
        *y += shift_;
        return nullptr;
    }
    IVorlatError* FilterRect(VorlatDblRect* r, const IVorlatDataSource**, int32_t) const override
    {
        r->left += shift_;
        return nullptr;
    }
    IVorlatError* FilterRect(RECT* r, const IVorlatDataSource**, int32_t) const override
    {
        r->left += shift_;
        return nullptr;
    }
    IVorlatError* DefilterPoint(double* x, double* y, const IVorlatDataSource**, int32_t) const override
    {
        *x -= shift_;
        *y -= shift_;
        return nullptr;
    }
    IVorlatError* DefilterPoint(int32_t* x, int32_t* y, const IVorlatDataSource**, int32_t) const override
    {
        *x -= shift_;
        *y -= shift_;
        return nullptr;
    }
    IVorlatError* DefilterRect(VorlatDblRect* r, const IVorlatDataSource**, int32_t) const override
    {
        r->left -= shift_;
        return nullptr;
    }
    IVorlatError* DefilterRect(RECT* r, const IVorlatDataSource**, int32_t) const override
    {
        r->left -= shift_;
        return nullptr;
    }
    IVorlatError* GenerateTile(IVorlatTile*, const IVorlatDataSource**, int32_t) override { return nullptr; }

    IVorlatError* Process(const IVorlatDataSource** sources, int32_t count, IVorlatImage* target) override
    {
        int32_t id = 0, done = 1, total = 1;
        if (IVorlatError* e = BeginProcess(&id, sources, count, target))
            return e;
        while (done || total) {
            if (IVorlatError* e = ExecuteProcess(id, &done, &total))
                return e;
        }
        return EndProcess(id);
    }

    IVorlatError* BeginProcess(int32_t* id, const IVorlatDataSource** sources, int32_t, IVorlatImage* target) override
    {
        int32_t w = 0, h = 0, cs = 0;
        const IVorlatDataSource* source = sources[0];
        if (IVorlatError* e = source->GetSize(&w, &h))
            return e;
        if (IVorlatError* e = source->GetColorSpace(&cs))
            return e;
        if (IVorlatError* e = target->SetColorSpace(cs))
            return e;
        if (IVorlatError* e = target->SetSize(w, h))
            return e;
        Run run{source, target, nullptr, 0, 0};
        if (IVorlatError* e = target->MapRect(&run.grid, RECT{0, 0, w, h}))
            return e;
        written.push_back(target);
        *id = nextId_++;
        runs_[*id] = run;
        return nullptr;
    }

    IVorlatError* ExecuteProcess(int32_t id, int32_t* done, int32_t* total) override
    {
        auto it = runs_.find(id);
        if (it == runs_.end())
            return IVorlatError::Add(nullptr, 98, 1, 0, kVorlatErrNoSuchId);
        Run& run = it->second;
        if (!run.grid) {
            *done = *total = 0;
            return nullptr;
        }
        if (run.column == run.grid->GetColumns()) {
            run.column = 0;
            ++run.row;
        }
        if (run.row == run.grid->GetRows()) {
            run.grid->Destroy();
            run.grid = nullptr;
            *done = *total = 0;
            return nullptr;
        }
        RECT used{};
        if (IVorlatError* e = run.grid->GetTileUsed(&used, run.column, run.row))
            return e;
        const int32_t bpp = IVorlatDataSource::GetBitsPerPixel(32) / 8;
        std::vector<uint8_t> pixels(static_cast<size_t>((used.right - used.left) * bpp * (used.bottom - used.top)));
        const int32_t rowBytes = (used.right - used.left) * bpp;
        IVorlatImage* source = const_cast<IVorlatImage*>(dynamic_cast<const IVorlatImage*>(run.source));
        if (IVorlatError* e = source->GetData(pixels.data(), rowBytes, used))
            return e;
        for (uint8_t& p : pixels)
            p = static_cast<uint8_t>(p + add_);
        if (IVorlatError* e = run.destination->SetData(pixels.data(), rowBytes, used))
            return e;
        ++run.column;
        *done = run.grid->GetColumns() * run.row + run.column;
        *total = run.grid->GetColumns() * run.grid->GetRows();
        return nullptr;
    }

    IVorlatError* GetProcessInfo(int32_t id, const IVorlatDataSource*** sources, int32_t* count,
                                 IVorlatImage** target) override
    {
        auto it = runs_.find(id);
        if (it == runs_.end())
            return IVorlatError::Add(nullptr, 98, 1, 0, kVorlatErrNoSuchId);
        *sources = &it->second.source;
        *count = 1;
        *target = it->second.destination;
        return nullptr;
    }

    IVorlatError* EndProcess(int32_t id) override
    {
        auto it = runs_.find(id);
        if (it == runs_.end())
            return IVorlatError::Add(nullptr, 98, 1, 0, kVorlatErrNoSuchId);
        if (it->second.grid)
            it->second.grid->Destroy();
        runs_.erase(it);
        ++ended;
        return nullptr;
    }

    int32_t ended = 0;

private:
    struct Run {
        const IVorlatDataSource* source;
        IVorlatImage* destination;
        IVorlatTileGrid* grid;
        int32_t row;
        int32_t column;
    };
    IVorlatManager* manager_;
    int32_t code_;
    int32_t id_;
    uint8_t add_;
    int32_t shift_;
    int32_t nextId_ = 1;
    std::map<int32_t, Run> runs_;
};

} // namespace vorlat_test
