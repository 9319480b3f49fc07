#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "app/core/curves/lut_group.h"
#include "app/core/curves/tone_table.h"
#include "app/core/demosaic/debayer_base.h"
#include "app/core/engine/develop_setup.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/save/save_run_impl.h"
#include "filters/CropFilter.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterScale.h"
#include "filters/VorlatFilterTransform.h"

namespace {

constexpr uint32_t kCurvesFlags = 62;
constexpr uint32_t kColorBalanceFlags = 66;

int32_t AtLeastOne(double value)
{
    if (!(value >= 1.0))
        return 1;
    return value >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(value);
}

// The filters of one preview, deleted after their chain on every way out.
struct PreviewObjects {
    IVorlatFilterChain* chain = nullptr;
    std::unique_ptr<CDeBayerBase> demosaic;
    std::unique_ptr<CCropFilter> crop;
    std::unique_ptr<CVorlatFilterScale> scale;
    std::unique_ptr<CVorlatFilterQRV> colour;
    std::unique_ptr<CVorlatFilterLut> curves;
    std::unique_ptr<CVorlatFilterTransform> transform;
    ~PreviewObjects()
    {
        if (chain)
            chain->Destroy();
    }
};

}  // namespace

bool DevelopPreview(const CDevelopParams* params, IVorlatImage* source, int32_t maxSide, IVorlatImage* target)
{
    CEngineLockHold hold;
    IVorlatManager* manager = GetImageManager();
    if (!params || !source || !target || !manager || maxSide < 1)
        return false;
    int32_t width = 0, height = 0;
    if (!GetDevelopedImageSize(source, &width, &height))
        return false;
    CDevelopParams local = *params;
    local.source = source;
    CVorlatFilterQRVEngine::Pointer engine;
    if (!CreateColorEngine(engine, &local, 0, 8))
        return false;

    PreviewObjects objects;
    CDeBayerBase* demosaic = nullptr;
    if (!MakeDemosaicFilter(&demosaic, &local, false))
        return false;
    objects.demosaic.reset(demosaic);

    auto* sizeRes = static_cast<CQzSizeRes*>(local.sizeRes);
    RECT cropRect{0, 0, width, height};
    if (local.sizeResApplied && sizeRes && !(sizeRes->GetCropRect() == sizeRes->GetImageRect())) {
        cropRect = SourceCrop(*sizeRes);
        objects.crop.reset(new (std::nothrow) CCropFilter(manager));
        if (!objects.crop)
            return false;
    }
    objects.colour.reset(new (std::nothrow) CVorlatFilterQRV(manager));
    objects.scale.reset(new (std::nothrow) CVorlatFilterScale(manager, 2));
    if (!objects.colour || !objects.scale || DropChain(objects.colour->SetQRVEngine(engine, false)))
        return false;
    if (local.curves1 && local.curves2 && local.exposure && local.wb &&
        DropChain(ComposeInputTables(&local, objects.colour.get(), false)))
        return false;
    CQzLutGroup* group = local.curves1On && local.curves1 ? local.curves1 : local.curves2On ? local.curves2 : nullptr;
    if (group) {
        const uint32_t flags = group == local.curves1 && local.curves1On ? kCurvesFlags : kColorBalanceFlags;
        uint16_t tables[3][256];
        for (uint32_t id = 1; id <= 3; ++id)
            BuildTable(group->GetToneChannelById(id), tables[id - 1], 2, 256, 256, 0.0, 1.0, flags, 1.0);
        const uint16_t* pointers[3] = {tables[0], tables[1], tables[2]};
        objects.curves.reset(new (std::nothrow) CVorlatFilterLut(manager));
        if (!objects.curves || DropChain(objects.curves->SetLUT(pointers, 8, 8, 3, false)))
            return false;
    }
    if (local.flip || local.rotation) {
        objects.transform.reset(new (std::nothrow) CVorlatFilterTransform(manager));
        if (!objects.transform)
            return false;
    }

    if (DropChain(manager->CreateFilterChain(&objects.chain)) || !objects.chain)
        return false;
    IVorlatFilter* order[] = {objects.demosaic.get(), objects.crop.get(),   objects.scale.get(),
                              objects.colour.get(),   objects.curves.get(), objects.transform.get()};
    for (IVorlatFilter* filter : order) {
        if (filter && DropChain(objects.chain->AddFilter(filter, -1)))
            return false;
    }
    if (DropChain(objects.chain->UseSource(source, nullptr)))
        return false;
    const double factor = width > 0 && height > 0 ? static_cast<double>(maxSide) / std::max(width, height) : 1.0;
    bool failed = objects.crop && DropChain(objects.crop->SetCrop(cropRect, false));
    failed = failed || DropChain(objects.scale->SetSize(AtLeastOne((cropRect.right - cropRect.left) * factor),
                                                        AtLeastOne((cropRect.bottom - cropRect.top) * factor), false));
    failed = failed || (objects.transform &&
                        DropChain(objects.transform->SetTransform(local.flip != 0, local.rotation, false, false)));
    const IVorlatDataSource* sources[1] = {source};
    failed = failed || DropChain(objects.chain->Process(sources, 1, target));
    DropChain(objects.chain->UseSource(nullptr, nullptr));
    return !failed;
}
