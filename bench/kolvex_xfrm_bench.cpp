// The transform filter on a 6000 x 4000 RGB image: turned by 90 degrees (pointer
// steps) and by 7.5 degrees (back-mapping every pixel), beside vips rot and
// vips similarity with nearest-neighbour pixels on one thread. Target: no
// slower than vips on the 90-degree turn.
#include "filters/VorlatFilterTransform.h"
#include "kolvex_bench_util.h"

using namespace kolvex_bench;

int main()
{
    std::printf("Kolvex transform, %dx%d RGB 8-bit, one thread\n", kWidth, kHeight);
    const std::vector<uint8_t> pixels = TestPixels();
    Bench bench;
    if (!bench.Open(pixels))
        return 1;
    const bool vips = HaveTool("vips") && WritePeerInput(pixels, bench.folder);
    if (!vips)
        std::printf("  vips is not installed (Debian package libvips-tools): no comparison\n");
    Header("vips");
    const struct {
        const char* what;
        double rotation;
        const char* command;
    } cases[] = {
        {"rotate 90", 90, "vips rot in.v out.v d90 --vips-concurrency=1"},
        {"rotate 7.5 (nearest)", 7.5,
         "vips similarity in.v out.v --angle 7.5 --interpolate nearest --vips-concurrency=1"},
    };
    bool met = true;
    for (const auto& c : cases) {
        CVorlatFilterTransform xfrm(bench.manager);
        if (!Ok(xfrm.SetTransform(false, c.rotation, true, false), "SetTransform"))
            return 1;
        double mb = 0;
        const double ours = bench.Run(&xfrm, &mb);
        if (ours < 0)
            return 1;
        PeerTime peer;
        if (vips)
            peer = Peer(bench.folder, c.command, "vips rot tiny8.v tiny_out.v d90 --vips-concurrency=1");
        Row(c.what, ours, mb, peer);
        if (c.rotation == 90 && peer.seconds > 0 && ours > peer.seconds)
            met = false;
    }
    std::printf("  target: the 90-degree turn no slower than vips: %s\n\n", vips ? (met ? "met" : "MISSED") : "not measured");
    return 0;
}
