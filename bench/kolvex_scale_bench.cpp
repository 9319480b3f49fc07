// The scale filter on a 6000 x 4000 RGB 8-bit picture, ours as a whole
// command (bench_scale: the loader, the filter, the saver) beside vips on a
// PPM, one thread: reduced to a quarter by averaging 4 x 4 areas (vips
// shrink 4 4, the same box) and by the nearest pixel (vips subsample 4 4),
// enlarged by 1.6 linear and cubic (vips resize with that kernel); the area
// reduction again at 96 Mpixel for memory. Target: the reduction to a
// quarter no slower than vips.
#include "filters/VorlatFilterScale.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex scale, %d x %d RGB 8-bit (%s), one thread\n", kWidth, kHeight, peer::Mpix(kWidth, kHeight).c_str());
    if (!peer::Have("vips")) {
        std::printf("  vips is not installed (Debian package libvips-tools): no comparison\n\n");
        return 0;
    }
    Bench bench;
    if (!bench.Open())
        return 1;
    const Inputs in = WriteInputs(bench.folder, kWidth, kHeight);
    std::printf("  ours: bench_scale IN.tif OUT.tif FACTOR METHOD (uncompressed TIFF in and out)\n"
                "  peer: VIPS_CONCURRENCY=1 vips shrink|subsample IN.ppm OUT.ppm 4 4 | vips resize IN.ppm OUT.ppm 1.6\n"
                "        --kernel linear|cubic\n");
    PrintWarmLegend();
    peer::PrintLegend();
    const struct {
        const char* what;
        double factor;
        int32_t method;
        peer::Command peer;
        peer::Target target;
    } cases[] = {
        {"1/4, area average", 0.25, 1, Vips("shrink", in, bench.folder, {"4", "4"}), peer::kNoSlower},
        {"1/4, nearest", 0.25, 0, Vips("subsample", in, bench.folder, {"4", "4"}), peer::kNoTarget},
        {"enlarge 1.6, linear", 1.6, 1, Vips("resize", in, bench.folder, {"1.6", "--kernel", "linear"}), peer::kNoTarget},
        {"enlarge 1.6, cubic", 1.6, 2, Vips("resize", in, bench.folder, {"1.6", "--kernel", "cubic"}), peer::kNoTarget},
    };
    for (const auto& c : cases) {
        CVorlatFilterScale scale(bench.manager, c.method);
        if (!Ok(scale.SetScale(c.factor, false), "SetScale"))
            return 1;
        const double warm = bench.Run(&scale);
        const peer::Command ours =
            Ours("bench_scale", in, bench.folder, {std::to_string(c.factor), std::to_string(c.method)});
        peer::PrintRow(c.what, peer::Mpix(kWidth, kHeight), peer::SideBySide(ours, c.peer, bench.folder), c.target, warm);
    }
    RemoveInputs(in);
    const Inputs big = WriteInputs(bench.folder, kWidth * 2, kHeight * 2);
    peer::PrintRow("1/4, area average", peer::Mpix(kWidth * 2, kHeight * 2) + ", 1 run",
                   peer::SideBySide(Ours("bench_scale", big, bench.folder, {"0.25", "1"}),
                                    Vips("shrink", big, bench.folder, {"4", "4"}), bench.folder, 1),
                   peer::kNoTarget);
    RemoveInputs(big);
    std::printf("\n");
    return 0;
}
