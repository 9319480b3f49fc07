// Opens a picture, sharpens it with the unsharp mask (Gaussian mask of the
// given radius) on the plain or the MMX path, and saves it as a TIFF.
//
//   bench_unsharp IN.tif OUT.tif RADIUS plain|mmx
#include <cstring>

#include "bench/tools/filter_command.h"
#include "filters/UnsharpMaskFilter.h"
#include "filters/unsharp_kernels_impl.h"

int main(int argc, char** argv)
{
    if (argc != 5 || (std::strcmp(argv[4], "plain") != 0 && std::strcmp(argv[4], "mmx") != 0))
        benchcmd::Usage("bench_unsharp IN.tif OUT.tif RADIUS plain|mmx");
    unsharp::TestProcessor();
    const bool mmx = std::strcmp(argv[4], "mmx") == 0;
    if (mmx && !unsharp::Features().mmx)
        benchcmd::Fail("the MMX path: the processor lacks it", nullptr);
    unsharp::Features().mmx = mmx;
    benchcmd::FilterRun run(argv[1]);
    CUnsharpMaskFilter usm(run.manager);
    benchcmd::Check(usm.SetRadius(std::atof(argv[3]), false), "radius");
    run.ProcessAndSave(&usm, argv[2]);
    return 0;
}
