// The BMP reader over any bytes: headers, palette, stepwise loading and the
// rewrite; a picture that loads is written again and must read back the same.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "Vorlat/Vorlat.h"
#include "fileio/bmp_reader.h"
#include "fileio/bmp_writer.h"
#include "fileio/fuzz/fuzz_util.h"

namespace {
IVorlatManager* Manager()
{
    static IVorlatManager* manager = [] {
        _VorlatFile page{};
        std::snprintf(page.path, sizeof page.path, "quarnite_bmp_fuzz_page_%d.tmp", static_cast<int>(sizeof(void*)));
        IVorlatManager* made = nullptr;
        quarnite_fuzz::Drop(IVorlatManager::CreateManager(&made, page, 64 << 20, 4096, 0));
        return made;
    }();
    return manager;
}

// Loads the whole picture into image; false when the reader refuses it.
bool Load(IVorlatStream* stream, IVorlatTagControl* tags, IVorlatImage* image)
{
    quarnite::CBmpReader reader(stream, tags);
    if (IVorlatError* err = reader.BeginLoadImage(image)) {
        err->Destroy();
        return false;
    }
    while (!reader.IsFinished())
        if (IVorlatError* err = reader.Execute()) {
            err->Destroy();
            return false;
        }
    return true;
}

std::vector<uint8_t> Pixels(IVorlatImage* image, int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(width) * height * 3);
    const RECT rect{0, 0, width, height};
    quarnite_fuzz::Drop(image->GetData(bytes.data(), width * 3, rect));
    return bytes;
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
    {
        quarnite::CBmpReader reader(in.stream, store.tags);
        Drop(reader.LoadTags());
        Memory copy(size + 64);
        Drop(reader.Update(copy.stream));
    }
    IVorlatImage* image = nullptr;
    if (IVorlatError* err = manager->CreateImage(&image, 2)) {
        err->Destroy();
        return 0;
    }
    int32_t width = 0, height = 0;
    if (Load(in.stream, nullptr, image) && !image->GetSize(&width, &height) && width > 0 && height > 0 &&
        static_cast<int64_t>(width) * height <= (1 << 18)) {
        Memory out(64 + static_cast<size_t>(height) * ((static_cast<size_t>(width) * 3 + 3) / 4 * 4));
        quarnite::CBmpWriter writer(out.stream, nullptr, 0);
        IVorlatError* err = writer.BeginSave(image, nullptr, 0);
        while (!err && !writer.IsFinished())
            err = writer.Execute();
        if (err) {
            err->Destroy();
            std::abort();  // a loaded picture is always writable
        }
        int32_t written = 0;
        Drop(out.stream->Tell(&written));
        Memory again(std::vector<uint8_t>(out.room.get(), out.room.get() + written), true);
        IVorlatImage* second = nullptr;
        Drop(manager->CreateImage(&second, 2));
        if (!second || !Load(again.stream, nullptr, second) || Pixels(image, width, height) != Pixels(second, width, height))
            std::abort();
        second->Destroy();
    }
    image->Destroy();
    return 0;
}
