// Opens a picture, turns it clockwise by an angle through the transform
// filter (90: pointer steps; any other angle: nearest pixel, back-mapped) and
// saves it as a TIFF.
//
//   bench_rotate IN.tif OUT.tif DEGREES
#include "bench/tools/filter_command.h"
#include "filters/VorlatFilterTransform.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        benchcmd::Usage("bench_rotate IN.tif OUT.tif DEGREES");
    benchcmd::FilterRun run(argv[1]);
    CVorlatFilterTransform rotate(run.manager);
    benchcmd::Check(rotate.SetTransform(false, std::atof(argv[3]), true, false), "rotation");
    run.ProcessAndSave(&rotate, argv[2]);
    return 0;
}
