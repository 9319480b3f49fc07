// Opens a picture, scales it by a factor through the scale filter and saves
// it as a TIFF. Method 0 nearest pixel; 1 and 2 average areas when reducing,
// linear and cubic when enlarging.
//
//   bench_scale IN.tif OUT.tif FACTOR METHOD
#include "bench/tools/filter_command.h"
#include "filters/VorlatFilterScale.h"

int main(int argc, char** argv)
{
    if (argc != 5)
        benchcmd::Usage("bench_scale IN.tif OUT.tif FACTOR METHOD(0-2)");
    benchcmd::FilterRun run(argv[1]);
    CVorlatFilterScale scale(run.manager, std::atoi(argv[4]));
    benchcmd::Check(scale.SetScale(std::atof(argv[3]), false), "factor");
    run.ProcessAndSave(&scale, argv[2]);
    return 0;
}
