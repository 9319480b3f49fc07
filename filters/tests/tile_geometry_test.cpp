// Every filter's output is the same whatever the tile size of its manager, and
// the same whether its tiles are made on demand or in one run.
#include <fstream>
#include <functional>
#include <memory>

#include "kolvex_test_util.h"

using namespace kolvex_test;

namespace {

const char* const kSRGB = "/usr/share/color/icc/sRGB.icc";
const char* const kAdobe = "/usr/share/color/icc/compatibleWithAdobeRGB1998.icc";

bool Exists(const char* path) { return std::ifstream(path).good(); }

struct Case {
    const char* name;
    int32_t colorSpace;
    std::function<CVorlatFilterBase*(IVorlatManager*)> make;
};

std::vector<uint16_t> Curve(int entries, int shift)
{
    std::vector<uint16_t> c(entries);
    for (int k = 0; k < entries; ++k)
        c[k] = static_cast<uint16_t>((k * 7 + shift) % entries);
    return c;
}

TEST(TileGeometry, OutputIsTheSameThroughEveryTileSizeAndAWholeRun)
{
    static const std::vector<uint16_t> curve = Curve(256, 3);
    static CVorlatFilterQRVEngine* engine = nullptr;
    const bool haveProfiles = Exists(kSRGB) && Exists(kAdobe);
    if (haveProfiles) {
        engine = new CVorlatFilterQRVEngine;
        KOLVEX_OK(engine->SetProfiles(FileName(kSRGB), FileName(kAdobe)));
        engine->SetBitsPerComponent(false, 8);
        engine->SetBitsPerComponent(true, 8);
    }
    std::vector<Case> cases = {
        {"crop", 32,
         [](IVorlatManager* m) {
             auto* f = new CCropFilter(m);
             Deepest(f->SetCrop(RECT{17, 9, 290, 150}, false));
             return f;
         }},
        {"crop 4-bit", 18,
         [](IVorlatManager* m) {
             auto* f = new CCropFilter(m);
             Deepest(f->SetCrop(RECT{3, 1, 260, 155}, false));
             return f;
         }},
        {"bgr", 33, [](IVorlatManager* m) { return new CBGRizeFilter(m); }},
        {"lut", 32,
         [](IVorlatManager* m) {
             auto* f = new CVorlatFilterLut(m);
             const uint16_t* t[] = {curve.data(), curve.data(), nullptr};
             Deepest(f->SetLUT(t, 8, 8, 3, false));
             return f;
         }},
        {"colour space", 33,
         [](IVorlatManager* m) {
             auto* f = new CVorlatFilterColorSpace(m);
             Deepest(f->SetOutputColorSpace(CVorlatFilterColorSpace::kGrey, CVorlatFilterColorSpace::k8Bits, false));
             return f;
         }},
        {"histogram", 32, [](IVorlatManager* m) { return new CVorlatFilterHistogram(m); }},
        {"grid", 2,
         [](IVorlatManager* m) {
             auto* f = new CVorlatFilterGrid(m);
             Deepest(f->SetAssumedImageSize(301, 157, 72.0, false));
             Deepest(f->SetGridInterval(0.5, CVorlatFilterGrid::kInches, 4, false));
             Deepest(f->SetGridColor(1, 2, 3, false));
             return f;
         }},
    };
    if (haveProfiles) {
        cases.push_back({"colour management", 32, [](IVorlatManager* m) {
                             auto* f = new CVorlatFilterQRV(m);
                             Deepest(f->SetQRVEngine(engine, false));
                             return f;
                         }});
    }
    for (const Case& c : cases) {
        const std::vector<uint8_t> pixels = Pattern(static_cast<size_t>(PackedRowBytes(c.colorSpace, 301)) * 157, 11);
        std::vector<std::vector<uint8_t>> outputs;
        for (int32_t tileBytes : {16384, 65536}) {
            IVorlatManager* manager = MakeManager(tileBytes);
            IVorlatImage* source = MakeImage(manager, c.colorSpace, 301, 157, pixels);
            std::unique_ptr<CVorlatFilterBase> filter(c.make(manager));
            KOLVEX_OK(VorlatDataConnect(source, filter.get()));
            outputs.push_back(ReadAll(filter.get()));
            if (tileBytes == 65536) {
                outputs.push_back(RunWhole(filter.get(), manager, source));
                IVorlatImage* target = nullptr;
                KOLVEX_OK(manager->CreateImage(&target, 0));
                const IVorlatDataSource* sources[] = {source};
                KOLVEX_OK(filter->Process(sources, 1, target));
                outputs.push_back(ReadAll(target));
                target->Destroy();
            }
            filter.reset();
            source->Destroy();
            manager->Destroy();
        }
        ASSERT_FALSE(outputs[0].empty()) << c.name;
        for (size_t i = 1; i < outputs.size(); ++i)
            EXPECT_TRUE(outputs[i] == outputs[0]) << c.name << " output " << i;
    }
    delete engine;
    engine = nullptr;
}

} // namespace
