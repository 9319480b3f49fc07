// The unsharp mask on a 6000 x 4000 RGB 8-bit picture, Gaussian mask of
// radius 2.5, on the plain and the MMX path, ours as a whole command
// (bench_unsharp: the loader, the filter, the saver) beside ImageMagick's
// -unsharp 0x2.5 on a PPM and vips sharpen --sigma 2.5 on the same TIFF, one
// thread each. Target: no slower than either.
#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex unsharp mask, %d x %d RGB 8-bit (%s), radius 2.5, one thread\n", kWidth, kHeight,
                peer::Mpix(kWidth, kHeight).c_str());
    // ImageMagick's own program, not a wrapper that may stand before it in PATH.
    const std::string convert = "/usr/bin/convert";
    if (!peer::Have(convert)) {
        std::printf("  %s is not installed (Debian package imagemagick): no comparison\n\n", convert.c_str());
        return 0;
    }
    Bench bench;
    if (!bench.Open())
        return 1;
    const Inputs in = WriteInputs(bench.folder, kWidth, kHeight);
    const std::string out = bench.folder + "/peer_out.ppm";
    const peer::Command magick{{convert, in.ppm, "-limit", "thread", "1", "-unsharp", "0x2.5", out}, {"MAGICK_THREAD_LIMIT=1"}, out};
    std::printf("  ours: bench_unsharp IN.tif OUT.tif 2.5 plain|mmx (uncompressed TIFF in and out)\n"
                "  peer: MAGICK_THREAD_LIMIT=1 %s IN.ppm -limit thread 1 -unsharp 0x2.5 OUT.ppm\n",
                convert.c_str());
    const std::string vipsOut = bench.folder + "/vips_out.tif";
    const bool haveVips = peer::Have("/usr/bin/vips");
    const peer::Command vips{{"/usr/bin/vips", "sharpen", in.tif, vipsOut, "--sigma", "2.5"}, {"VIPS_CONCURRENCY=1"}, vipsOut};
    if (haveVips)
        std::printf("  peer: VIPS_CONCURRENCY=1 /usr/bin/vips sharpen IN.tif OUT.tif --sigma 2.5\n");
    else
        std::printf("  /usr/bin/vips is not installed (Debian package libvips-tools): no vips row\n");
    PrintWarmLegend();
    peer::PrintLegend();
    unsharp::TestProcessor();
    const bool hasMmx = unsharp::Features().mmx;
    for (bool mmx : {false, true}) {
        if (mmx && !hasMmx)
            continue;
        unsharp::Features().mmx = mmx;
        CUnsharpMaskFilter usm(bench.manager);
        if (!Ok(usm.SetRadius(2.5, false), "SetRadius"))
            return 1;
        const double warm = bench.Run(&usm);
        const peer::Command ours = Ours("bench_unsharp", in, bench.folder, {"2.5", mmx ? "mmx" : "plain"});
        peer::PrintRow(mmx ? "radius 2.5, MMX path" : "radius 2.5, plain path", peer::Mpix(kWidth, kHeight),
                       peer::SideBySide(ours, magick, bench.folder), mmx ? peer::kNoSlower : peer::kNoTarget, warm);
        if (haveVips)
            peer::PrintRow(mmx ? "  vs vips sharpen, MMX path" : "  vs vips sharpen, plain", peer::Mpix(kWidth, kHeight),
                           peer::SideBySide(ours, vips, bench.folder), mmx ? peer::kNoSlower : peer::kNoTarget, warm);
    }
    unsharp::Features().mmx = hasMmx;
    RemoveInputs(in);
    std::printf("\n");
    return 0;
}
