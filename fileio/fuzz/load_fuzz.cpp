// The loader over a memory stream: probing, then what a caller does with a
// recognised file (tags, thumbnails, stepwise loading into an image).
#include <cstdio>
#include <string>

#include "Vorlat/Vorlat.h"
#include "fileio/VorlatLoad.h"
#include "fileio/fuzz/fuzz_util.h"

namespace {
IVorlatManager* Manager()
{
    static IVorlatManager* manager = [] {
        _VorlatFile page{};
        std::snprintf(page.path, sizeof page.path, "quarnite_fuzz_page_%d.tmp", static_cast<int>(sizeof(void*)));
        IVorlatManager* made = nullptr;
        quarnite_fuzz::Drop(IVorlatManager::CreateManager(&made, page, 8 << 20, 65536, 0));
        return made;
    }();
    return manager;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace quarnite_fuzz;
    Memory in(std::vector<uint8_t>(data, data + size), true);
    Store store;
    IVorlatLoad* load = nullptr;
    Drop(IVorlatLoad::CreateLoad(&load));
    if (IVorlatError* err = load->AttachStream(in.stream, store.tags, 0, 0)) {
        err->Destroy();
        load->DetachStream();
        load->Destroy();
        return 0;
    }
    Drop(load->LoadTags());
    IVorlatStorage::tagStrFileInfo info{};
    Drop(load->GetFileInformation(&info));
    IVorlatManager* manager = Manager();
    for (int32_t index = 1; index <= info.thumbnails && index <= 4 && manager; ++index) {
        int32_t value = 0;
        Drop(load->GetThumbnailColorSpace(index, &value));
        Drop(load->GetThumbnailWidth(index, &value));
        Drop(load->GetThumbnailHeight(index, &value));
        IVorlatImage* thumbnail = nullptr;
        if (IVorlatError* err = manager->CreateImage(&thumbnail, 2)) {
            err->Destroy();
            continue;
        }
        Drop(load->LoadThumbnail(index, thumbnail));
        thumbnail->Destroy();
    }
    IVorlatImage* image = nullptr;
    if (IVorlatError* err = manager ? manager->CreateImage(&image, 2) : nullptr)
        err->Destroy();
    if (image) {
        if (IVorlatError* err = load->BeginLoadImage(image)) {
            err->Destroy();
        } else {
            // Enough steps for any image a small input can describe.
            for (int step = 0; step < 4096 && !load->IsFinished(); ++step)
                if (IVorlatError* e = load->Execute()) {
                    e->Destroy();
                    break;
                }
        }
        image->Destroy();
    }
    load->DetachStream();
    load->Destroy();
    return 0;
}
