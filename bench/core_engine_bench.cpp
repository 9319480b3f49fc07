// The develop engine's hot calls. GetEngine for a key that is alive (the
// view asks for its engines on every rebuild): target under 10 us.
// ComposeInputTables for a raw image with white balance, exposure and the
// tone curve: target under 1 ms. SampleImageColor over a 5 x 5 square whose
// tiles are already in memory: target under 200 us.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/sample_color.h"
#include "app/core/engine/tone_tables.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/wb_adjustment.h"
#include "bench/bench_util.h"
#include "filters/VorlatFilterLut.h"
#include "filters/VorlatFilterQRV.h"
#include "fileio/VorlatTagControl.h"

namespace {

using Clock = std::chrono::steady_clock;

// Median and best of `rounds` timings of `body`, in microseconds.
void Report(const char* name, int rounds, double targetUs, const std::function<void()>& body)
{
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const Clock::time_point start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    char target[32];
    std::snprintf(target, sizeof target, "< %g us", targetUs);
    std::printf("  %-40s %10.2f %10.2f %10s  %s\n", name, median, times.front(), target,
                median < targetUs ? "met" : "MISSED");
}

std::string Profile(const std::string& folder, const char* name)
{
    const std::string path = folder + "/" + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fputs("profile", file);
        std::fclose(file);
    }
    return path;
}

}  // namespace

int main()
{
    const std::string scratch = bench::Scratch("core_engine");
    _VorlatFile page{};
    std::snprintf(page.path, sizeof page.path, "%s/page.tmp", scratch.c_str());
    IVorlatManager* manager = nullptr;
    if (!bench::Ok(IVorlatManager::CreateManager(&manager, page, 64 << 20, 65536, 0), "CreateManager"))
        return 1;
    CreateColorEnginePool();
    SetImageManager(manager);
    std::printf("Tessaline develop engine\n");
    std::printf("  %-40s %10s %10s %10s\n", "", "median us", "best us", "target");

    // The pool holds six keys; the one asked for is the oldest in its list.
    {
        const std::string output = Profile(scratch, "out.icm");
        std::vector<CVorlatFilterQRVEngine::Pointer> held(6);
        std::vector<std::string> inputs;
        for (int i = 0; i < 6; ++i) {
            inputs.push_back(Profile(scratch, ("in" + std::to_string(i) + ".icm").c_str()));
            bench::Ok(GetColorEnginePool()->GetEngine(inputs[i].c_str(), output.c_str(), 16, 8, held[i]), "GetEngine");
        }
        CVorlatFilterQRVEngine::Pointer holder;
        Report("GetEngine, a live key", 2000, 10.0, [&] {
            bench::Ok(GetColorEnginePool()->GetEngine(inputs[0].c_str(), output.c_str(), 16, 8, holder), "GetEngine");
        });
    }

    // A raw image with white balance, one stop of exposure and the tone curve.
    IVorlatTagControl* tags = nullptr;
    bench::Ok(IVorlatTagControl::CreateTagControl(&tags), "CreateTagControl");
    const int32_t raw = kFileKindRaw;
    bench::Ok(tags->AddTag(kTagFileKind), "AddTag");
    bench::Ok(tags->SetTagValue(kTagFileKind, kTagTypeLongs, 4, &raw, 0), "SetTagValue");
    CQzWBAdjustment wb;
    wb.gain1 = 2.1;
    wb.gain2 = 1.4;
    CQzExposureAdjustment exposure;
    exposure.exposureCompensation = 100;
    CDevelopParams params;
    params.tags = tags;
    params.wb = &wb;
    params.wbOn = 1;
    params.exposure = &exposure;
    params.exposureOn = 1;
    params.asShotRed = 1.9;
    params.asShotBlue = 1.5;
    {
        CVorlatFilterQRV filter(manager);
        Report("ComposeInputTables", 400, 1000.0,
               [&] { bench::Ok(ComposeInputTables(&params, &filter, false), "ComposeInputTables"); });
    }

    // A 48-bit image of 512 x 512 before a colour filter; the first read
    // brings its tiles in, the timed ones find them cached.
    {
        IVorlatImage* image = nullptr;
        bench::Ok(manager->CreateImage(&image, 0), "CreateImage");
        bench::Ok(image->SetColorSpace(33), "SetColorSpace");
        bench::Ok(image->SetSize(512, 512), "SetSize");
        std::vector<uint16_t> pixels(512 * 512 * 3);
        for (size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = static_cast<uint16_t>(i * 97);
        const RECT all = {0, 0, 512, 512};
        bench::Ok(image->SetData(pixels.data(), 512 * 6, all), "SetData");
        IVorlatFilterChain* chain = nullptr;
        bench::Ok(manager->CreateFilterChain(&chain), "CreateFilterChain");
        IVorlatDataSource* previous = nullptr;
        bench::Ok(chain->UseSource(image, &previous), "UseSource");
        CVorlatFilterLut first(manager), second(manager);
        CVorlatFilterQRV colour(manager);
        first.Enable(false, false);
        second.Enable(false, false);
        colour.Enable(false, false);
        bench::Ok(chain->AddFilter(&first, -1), "AddFilter");
        bench::Ok(chain->AddFilter(&second, -1), "AddFilter");
        bench::Ok(chain->AddFilter(&colour, -1), "AddFilter");
        VorlatPixel result{}, curve{};
        int32_t flag = 0;
        SampleImageColor(255, 255, &result, 5, chain, 1, &params, &curve, &flag);
        Report("SampleImageColor, 5 x 5, cached tiles", 2000, 200.0,
               [&] { SampleImageColor(255, 255, &result, 5, chain, 1, &params, &curve, &flag); });
        chain->Destroy();
        image->Destroy();
    }
    std::printf("\n");

    tags->Destroy();
    DestroyColorEnginePool();
    SetImageManager(nullptr);
    manager->Destroy();
    return 0;
}
