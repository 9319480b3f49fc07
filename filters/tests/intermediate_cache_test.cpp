#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

// An intermediate image whose tiles are filled with one byte value.
class FilledCache : public CVorlatFilterBase::CIntermediateCache {
public:
    FilledCache(CVorlatFilterBase* filter) : CIntermediateCache(filter, nullptr) {}
    void Destroy() override { delete this; }
    IVorlatError* GenerateCacheTile(IVorlatTile* tile) const override
    {
        ++generated;
        if (failValue)
            return IVorlatError::Add(nullptr, 5, 1, 0, failValue);
        void* data = nullptr;
        IVorlatError* err = tile->Lock(&data, nullptr);
        if (err)
            return err;
        std::memset(data, 0x5A, 64);
        tile->Validate();
        return tile->Unlock();
    }
    IVorlatImage* Wrapped() const { return image_; }
    mutable int generated = 0;
    int32_t failValue = 0;
};

TEST(IntermediateCache, MakesOneDiscardableImageAndGeneratesOnlyWhatIsMissing)
{
    IVorlatManager* manager = MakeManager(16384);
    {
        CopyFilter filter(manager, kVorlatUsageKeep);
        FilledCache* cache = new FilledCache(&filter);
        KOLVEX_OK(cache->CreateImage());
        IVorlatImage* first = cache->Wrapped();
        KOLVEX_OK(cache->CreateImage());
        EXPECT_EQ(cache->Wrapped(), first);
        EXPECT_EQ(cache->GetUsage(), kVorlatUsageDiscardable);
        KOLVEX_OK(cache->SetColorSpace(2));
        KOLVEX_OK(cache->SetSize(200, 200));
        void* data = nullptr;
        KOLVEX_OK(cache->LockTile(&data, 0, 0, nullptr));
        EXPECT_EQ(static_cast<uint8_t*>(data)[0], 0x5A);
        KOLVEX_OK(cache->UnlockTile(0, 0));
        KOLVEX_OK(cache->LockTile(&data, 0, 0, nullptr));
        KOLVEX_OK(cache->UnlockTile(0, 0));
        EXPECT_EQ(cache->generated, 1);

        KOLVEX_OK(cache->InvalidateRect(RECT{5, 5, 6, 6}));
        cache->failValue = 31;
        IVorlatError* err = cache->LockTile(&data, 0, 0, nullptr);
        ASSERT_NE(err, nullptr);
        char where[32];
        err->Location(where);
        EXPECT_EQ(std::string(where).substr(0, 3), "32:");
        EXPECT_EQ(Deepest(err), 31);
        IVorlatTile* tile = nullptr;
        KOLVEX_OK(cache->GetTile(&tile, 0, 0));
        EXPECT_FALSE(tile->IsLocked());
        cache->Destroy();
    }
    manager->Destroy();
}

} // namespace
