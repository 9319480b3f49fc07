// The QuickTime preview reader over any bytes: the atom walk, the movie and
// user-data tags, the thumbnail and the preview loaded as the image.
#include <cstdio>

#include "Vorlat/Vorlat.h"
#include "fileio/fuzz/fuzz_util.h"
#include "fileio/quicktime_reader.h"

namespace {
IVorlatManager* Manager()
{
    static IVorlatManager* manager = [] {
        _VorlatFile page{};
        std::snprintf(page.path, sizeof page.path, "quarnite_quicktime_fuzz_page_%d.tmp",
                      static_cast<int>(sizeof(void*)));
        IVorlatManager* made = nullptr;
        quarnite_fuzz::Drop(IVorlatManager::CreateManager(&made, page, 64 << 20, 65536, 0));
        return made;
    }();
    return manager;
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
    quarnite::CQuickTimeReader reader(in.stream, store.tags);
    Drop(reader.LoadTags());
    int32_t value = 0;
    Drop(reader.GetThumbnailWidth(1, &value));
    Drop(reader.GetThumbnailHeight(1, &value));
    IVorlatImage* image = nullptr;
    if (IVorlatError* err = manager->CreateImage(&image, 2)) {
        err->Destroy();
        return 0;
    }
    Drop(reader.LoadThumbnail(1, image));
    if (IVorlatError* err = reader.BeginLoadImage(image))
        err->Destroy();
    else
        Drop(reader.Execute());
    image->Destroy();
    return 0;
}
