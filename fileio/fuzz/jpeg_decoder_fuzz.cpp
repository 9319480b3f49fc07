// The JPEG reader over any bytes: markers, thumbnails, decoding at every
// scale, on-demand tile rows and the update.
#include <cstdio>

#include "Vorlat/Vorlat.h"
#include "fileio/fuzz/fuzz_util.h"
#include "fileio/jpeg_reader.h"

namespace {
IVorlatManager* Manager()
{
    static IVorlatManager* manager = [] {
        _VorlatFile page{};
        std::snprintf(page.path, sizeof page.path, "quarnite_jpeg_fuzz_page_%d.tmp", static_cast<int>(sizeof(void*)));
        IVorlatManager* made = nullptr;
        quarnite_fuzz::Drop(IVorlatManager::CreateManager(&made, page, 64 << 20, 65536, 0));
        return made;
    }();
    return manager;
}

// Frames larger than this decode only their tags: the time goes to the coded data, not to big empty images.
constexpr int64_t kMostPixels = 1 << 20;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    IVorlatManager* manager = Manager();
    if (!manager)
        return 0;
    Memory in(std::vector<uint8_t>(data, data + size), true);
    Store store;
    quarnite::CJpegReader reader(in.stream, store.tags);
    if (IVorlatError* err = reader.LoadTags()) {
        err->Destroy();
        return 0;
    }
    IVorlatImage* image = nullptr;
    if (IVorlatError* err = manager->CreateImage(&image, 2)) {
        err->Destroy();
        return 0;
    }
    if (reader.GetThumbnailCount() > 0)
        Drop(reader.LoadThumbnail(1, image));
    if (static_cast<int64_t>(reader.Width()) * reader.Height() <= kMostPixels) {
        for (uint32_t scale : {1u, 2u, 4u, 8u}) {
            IVorlatError* err = reader.BeginLoadImage(image, scale);
            for (int steps = 0; !err && !reader.IsFinished() && steps < 4096; ++steps)
                err = reader.Execute();
            Drop(err);
        }
        if (!reader.BeginLoadImage(image, 1u)) {
            Drop(reader.LoadTileRow(0));
            Drop(reader.LoadTileRow(1));
            Drop(reader.LoadTileRow(0));
        }
    }
    Memory out(size * 2 + 300000);
    Drop(reader.Update(out.stream));
    image->Destroy();
    return 0;
}
