// The loader over a memory stream: probing, then what a caller does with a
// recognised file (tags, thumbnails, stepwise loading into an image, and the
// prepared image drawn tile by tile).
#include <algorithm>
#include <cstdio>
#include <numeric>
#include <string>
#include <vector>

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

// Every tile of a failing file may be read again at each lock; larger images
// cost more time than they find.
constexpr int64_t kMostPixels = 1 << 20;

// Locks every tile of the prepared image through the loader, as a view does,
// in an order taken from the input and then in another, so that tiles are
// read out of order and again after a failed read.
void DrawTileByTile(IVorlatLoad* load, const uint8_t* data, size_t size)
{
    using quarnite_fuzz::Drop;
    auto* source = dynamic_cast<IVorlatDataSource*>(load);
    int32_t width = 0, height = 0, tile = 0;
    if (IVorlatError* err = source->GetSize(&width, &height)) {
        err->Destroy();
        return;
    }
    if (IVorlatError* err = source->GetTileSize(&tile)) {
        err->Destroy();
        return;
    }
    if (width <= 0 || height <= 0 || tile <= 0 || static_cast<int64_t>(width) * height > kMostPixels)
        return;
    const int32_t columns = (width + tile - 1) / tile;
    const int32_t rows = (height + tile - 1) / tile;
    std::vector<int32_t> order(static_cast<size_t>(columns) * rows);
    std::iota(order.begin(), order.end(), 0);
    uint32_t state = 2166136261u;  // FNV-1a of the input
    for (size_t i = 0; i < size; ++i)
        state = (state ^ data[i]) * 16777619u;
    for (int round = 0; round < 2; ++round) {
        for (size_t i = order.size(); i > 1; --i) {
            state = state * 1664525u + 1013904223u;
            std::swap(order[i - 1], order[(state >> 8) % i]);
        }
        for (int32_t index : order) {
            const int32_t column = index % columns, row = index / columns;
            void* bits = nullptr;
            if (IVorlatError* err = source->LockTile(&bits, column, row, nullptr)) {
                err->Destroy();
                continue;
            }
            Drop(source->UnlockTile(column, row));
        }
    }
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
    // Drawn before any other decode, as the program does, so that the
    // reader's first state is the one the tiles meet.
    if (manager) {
        if (IVorlatError* err = load->PrepareToLoad(manager))
            err->Destroy();
        else
            DrawTileByTile(load, data, size);
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
