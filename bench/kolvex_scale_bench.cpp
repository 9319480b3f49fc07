// The scale filter on a 6000 x 4000 RGB image: reduced by 0.37 and enlarged by
// 1.6 with each method, beside vips resize with the matching kernel on one
// thread. Target: no slower than vips on the reductions.
#include "filters/VorlatFilterScale.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex scale, %dx%d RGB 8-bit, one thread\n", kWidth, kHeight);
    const std::vector<uint8_t> pixels = TestPixels();
    Bench bench;
    if (!bench.Open(pixels))
        return 1;
    const bool vips = HaveTool("vips") && WritePeerInput(pixels, bench.folder);
    if (!vips)
        std::printf("  vips is not installed (Debian package libvips-tools): no comparison\n");
    Header("vips");
    const char* kernels[] = {"nearest", "linear", "cubic"};
    bool met = true;
    for (double factor : {0.37, 1.6}) {
        for (int method = 0; method < 3; ++method) {
            CVorlatFilterScale scale(bench.manager, method);
            if (!Ok(scale.SetScale(factor, false), "SetScale"))
                return 1;
            double mb = 0;
            const double ours = bench.Run(&scale, &mb);
            if (ours < 0)
                return 1;
            PeerTime peer;
            if (vips)
                peer = Peer(bench.folder,
                            "vips resize in.v out.v " + std::to_string(factor) + " --kernel " + kernels[method] +
                                " --vips-concurrency=1",
                            "vips resize tiny8.v tiny_out.v 0.5 --vips-concurrency=1");
            const std::string what = std::string(factor < 1 ? "reduce 0.37, " : "enlarge 1.6, ") +
                                     (method == 0 ? "nearest" : method == 1 ? "linear/area" : "cubic/area");
            Row(what.c_str(), ours, mb, peer);
            if (factor < 1 && peer.seconds > 0 && ours > peer.seconds)
                met = false;
        }
    }
    std::printf("  target: reductions no slower than vips: %s\n\n", vips ? (met ? "met" : "MISSED") : "not measured");
    return 0;
}
