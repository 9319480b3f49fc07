// The TIFF reader over a memory stream: tags, thumbnails, the main image whole
// and subsampled, tile rows on demand, then an update into a memory buffer.
#include <cstdio>

#include "Vorlat/Vorlat.h"
#include "fileio/fuzz/fuzz_util.h"
#include "fileio/tiff/tiff_reader.h"

namespace {
IVorlatManager* Manager()
{
    static IVorlatManager* manager = [] {
        _VorlatFile page{};
        std::snprintf(page.path, sizeof page.path, "quarnite_tiff_fuzz_page_%d.tmp", static_cast<int>(sizeof(void*)));
        IVorlatManager* made = nullptr;
        quarnite_fuzz::Drop(IVorlatManager::CreateManager(&made, page, 8 << 20, 16384, 0));
        return made;
    }();
    return manager;
}

void LoadSteps(quarnite::CTiffReader& reader)
{
    for (int step = 0; step < 4096 && !reader.IsFinished(); ++step)
        if (IVorlatError* err = reader.Execute()) {
            err->Destroy();
            break;
        }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    IVorlatManager* manager = Manager();
    if (!manager)
        return 0;
    Memory in(std::vector<uint8_t>(data, data + size), true);
    Store store;
    quarnite::CTiffReader reader(in.stream, store.tags);
    if (IVorlatError* err = reader.LoadTags()) {
        err->Destroy();
        return 0;
    }
    for (int32_t index = 0; index <= 4; ++index) {
        int32_t value = 0;
        Drop(reader.GetThumbnailColorSpace(index, &value));
        Drop(reader.GetThumbnailWidth(index, &value));
        Drop(reader.GetThumbnailHeight(index, &value));
        IVorlatImage* thumbnail = nullptr;
        if (index >= 1 && index <= reader.GetThumbnailCount() && !manager->CreateImage(&thumbnail, 2)) {
            Drop(reader.LoadThumbnail(index, thumbnail));
            thumbnail->Destroy();
        }
    }
    for (uint32_t n : {1u, 2u}) {
        IVorlatImage* image = nullptr;
        if (IVorlatError* err = manager->CreateImage(&image, 2)) {
            err->Destroy();
            break;
        }
        if (IVorlatError* err = reader.BeginLoadImage(image, n)) {
            err->Destroy();
        } else if (n == 1) {
            LoadSteps(reader);
        } else {
            for (int32_t row : {1, 0})
                Drop(reader.LoadTileRow(row));
        }
        image->Destroy();
    }
    Memory out(size * 2 + 65536);
    Drop(reader.Update(out.stream));
    return 0;
}
