// The unsharp mask on a 6000 x 4000 RGB image, Gaussian mask of radius 2.5, on
// the plain and the MMX path, beside ImageMagick's -unsharp 0x2.5 and vips
// sharpen on one thread. Target: no slower than ImageMagick.
#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex unsharp mask, %dx%d RGB 8-bit, radius 2.5, one thread\n", kWidth, kHeight);
    const std::vector<uint8_t> pixels = TestPixels();
    Bench bench;
    if (!bench.Open(pixels))
        return 1;
    const bool magick = HaveTool("convert"), vips = HaveTool("vips") && WritePeerInput(pixels, bench.folder);
    PeerTime im, vp;
    if (magick)
        im = Peer(bench.folder, "MAGICK_THREAD_LIMIT=1 convert in.ppm -limit thread 1 -unsharp 0x2.5 out.ppm",
                  "MAGICK_THREAD_LIMIT=1 convert in.ppm -limit thread 1 out.ppm");
    if (vips)
        vp = Peer(bench.folder, "vips sharpen in.v out.v --sigma 2.5 --vips-concurrency=1",
                  "vips sharpen tiny8.v tiny_out.v --sigma 2.5 --vips-concurrency=1");
    Header("ImageMagick");
    unsharp::TestProcessor();
    const bool hasMmx = unsharp::Features().mmx;
    bool met = true;
    for (bool mmx : {false, true}) {
        if (mmx && !hasMmx)
            continue;
        unsharp::Features().mmx = mmx;
        CUnsharpMaskFilter usm(bench.manager);
        if (!Ok(usm.SetRadius(2.5, false), "SetRadius"))
            return 1;
        double mb = 0;
        const double ours = bench.Run(&usm, &mb);
        if (ours < 0)
            return 1;
        Row(mmx ? "radius 2.5, MMX path" : "radius 2.5, plain path", ours, mb, im);
        if (mmx && im.seconds > 0 && ours > im.seconds)
            met = false;
        if (vp.seconds > 0)
            std::printf("  %-34s %10s %9s %10.2f %9.0f %7.2f   (vips sharpen)\n", "", "", "", vp.seconds * 1e3 / kMegapixels,
                        vp.peakMb, vp.seconds / ours);
    }
    unsharp::Features().mmx = hasMmx;
    std::printf("  target: no slower than ImageMagick: %s\n\n", magick ? (met ? "met" : "MISSED") : "not measured");
    return 0;
}
