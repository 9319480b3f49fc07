// The transform filter on a 6000 x 4000 RGB 8-bit picture: turned by 90
// degrees (pointer steps) and by 7.5 degrees (back-mapping every pixel, the
// nearest pixel), ours as a whole command (bench_rotate: the loader, the
// filter, the saver) beside vips rot and vips similarity on a PPM, one
// thread; the 90-degree turn again at 96 Mpixel for memory. Target: the
// 90-degree turn no slower than vips.
#include "filters/VorlatFilterTransform.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex transform, %d x %d RGB 8-bit (%s), one thread\n", kWidth, kHeight, peer::Mpix(kWidth, kHeight).c_str());
    if (!peer::Have("vips")) {
        std::printf("  vips is not installed (Debian package libvips-tools): no comparison\n\n");
        return 0;
    }
    Bench bench;
    if (!bench.Open())
        return 1;
    const Inputs in = WriteInputs(bench.folder, kWidth, kHeight);
    std::printf("  ours: bench_rotate IN.tif OUT.tif DEGREES (uncompressed TIFF in and out)\n"
                "  peer: VIPS_CONCURRENCY=1 vips rot IN.ppm OUT.ppm d90 | vips similarity IN.ppm OUT.ppm --angle 7.5\n"
                "        --interpolate nearest\n");
    PrintWarmLegend();
    peer::PrintLegend();
    const struct {
        const char* what;
        double rotation;
        peer::Command peer;
        peer::Target target;
    } cases[] = {
        {"rotate 90", 90, Vips("rot", in, bench.folder, {"d90"}), peer::kNoSlower},
        {"rotate 7.5 (nearest)", 7.5,
         Vips("similarity", in, bench.folder, {"--angle", "7.5", "--interpolate", "nearest"}), peer::kNoTarget},
    };
    for (const auto& c : cases) {
        CVorlatFilterTransform xfrm(bench.manager);
        if (!Ok(xfrm.SetTransform(false, c.rotation, true, false), "SetTransform"))
            return 1;
        const double warm = bench.Run(&xfrm);
        const peer::Command ours = Ours("bench_rotate", in, bench.folder, {std::to_string(c.rotation)});
        peer::PrintRow(c.what, peer::Mpix(kWidth, kHeight), peer::SideBySide(ours, c.peer, bench.folder), c.target, warm);
    }
    RemoveInputs(in);
    const Inputs big = WriteInputs(bench.folder, kWidth * 2, kHeight * 2);
    peer::PrintRow("rotate 90", peer::Mpix(kWidth * 2, kHeight * 2) + ", 1 run",
                   peer::SideBySide(Ours("bench_rotate", big, bench.folder, {"90"}), Vips("rot", big, bench.folder, {"d90"}),
                                    bench.folder, 1),
                   peer::kNoTarget);
    RemoveInputs(big);
    std::printf("\n");
    return 0;
}
