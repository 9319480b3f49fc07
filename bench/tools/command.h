// What the benchmark commands share: they are run as whole processes beside a
// peer's command, so each one is what a person would run to do one kind of
// work: open a file through the loader, do the work, write the result through
// the saver. One thread, one tile manager with a fixed budget; any failure
// ends the process with a message and a non-zero status.
#pragma once

#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/Vorlat.h"
#include "bench/tools/budget.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"

namespace benchcmd {

[[noreturn]] inline void Fail(const char* what, IVorlatError* err)
{
    std::fprintf(stderr, "%s failed: error %d\n", what, err ? static_cast<int>(err->GetDeepestValue()) : 0);
    std::exit(1);
}

inline void Check(IVorlatError* err, const char* what)
{
    if (err)
        Fail(what, err);
}

inline _VorlatFile FileName(const std::string& path)
{
    _VorlatFile file{};
    if (path.size() >= sizeof file.path)
        Fail("path too long", nullptr);
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    return file;
}

// The page file goes to TESS_BENCH_SCRATCH (else /tmp), one per process.
inline IVorlatManager* OpenManager()
{
    const char* scratch = std::getenv("TESS_BENCH_SCRATCH");
    const std::string page = std::string(scratch && *scratch ? scratch : "/tmp") + "/bench_cmd_" +
                             std::to_string(static_cast<long>(getpid())) + ".tmp";
    IVorlatManager* manager = nullptr;
    Check(IVorlatManager::CreateManager(&manager, FileName(page), kBudgetBytes, kTileBytes, 0), "tile manager");
    return manager;
}

inline IVorlatFileStream* FileStream(const std::string& path)
{
    IVorlatFileStream* stream = nullptr;
    Check(IVorlatFileStream::CreateFileStream(&stream), "file stream");
    Check(stream->SetFile(FileName(path)), path.c_str());
    return stream;
}

template <class Task>
void RunToEnd(Task* task, const char* what)
{
    while (!task->IsFinished())
        Check(task->Execute(), what);
}

// The whole file's pixels, read through the loader into a new image.
inline IVorlatImage* Load(IVorlatManager* manager, const std::string& path)
{
    IVorlatImage* image = nullptr;
    Check(manager->CreateImage(&image, kVorlatUsageKeep), "image");
    IVorlatFileStream* in = FileStream(path);
    IVorlatLoad* load = nullptr;
    Check(IVorlatLoad::CreateLoad(&load), "loader");
    Check(load->AttachStream(in, nullptr, 0, 0), "open");
    Check(load->BeginLoadImage(image), "begin load");
    RunToEnd(load, "load");
    load->DetachStream();
    load->Destroy();
    in->Destroy();
    return image;
}

// format: kFormatTiff or kFormatJpeg; option: the JPEG level (1 to 5).
inline void Save(IVorlatDataSource* source, const std::string& path, int32_t format, int32_t option)
{
    IVorlatFileStream* out = FileStream(path);
    IVorlatSave* save = nullptr;
    Check(IVorlatSave::CreateSave(&save), "saver");
    Check(save->AttachStream(out, nullptr, format, option), "create");
    Check(save->BeginSave(source, nullptr, 0), "begin save");
    RunToEnd(save, "save");
    save->DetachStream();
    save->Destroy();
    out->Destroy();
}

// Every pixel of an RGB 8-bit image, read back in bands and written as a PPM
// (what djpeg writes by default).
inline void WritePpm(IVorlatImage* image, const std::string& path)
{
    int32_t width = 0, height = 0;
    Check(image->GetWidth(&width), "size");
    Check(image->GetHeight(&height), "size");
    constexpr int32_t kBand = 64;
    std::vector<uint8_t> band(static_cast<size_t>(width) * 3 * kBand);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        Fail(path.c_str(), nullptr);
    std::fprintf(f, "P6\n%d %d\n255\n", width, height);
    for (int32_t top = 0; top < height; top += kBand) {
        const int32_t rows = std::min(kBand, height - top);
        Check(image->GetData(band.data(), width * 3, RECT{0, top, width, top + rows}), "read pixels");
        if (std::fwrite(band.data(), 1, static_cast<size_t>(width) * 3 * rows, f) != static_cast<size_t>(width) * 3 * rows)
            Fail("write", nullptr);
    }
    if (std::fclose(f) != 0)
        Fail("write", nullptr);
}

[[noreturn]] inline void Usage(const char* usage)
{
    std::fprintf(stderr, "usage: %s\n", usage);
    std::exit(2);
}

}  // namespace benchcmd
