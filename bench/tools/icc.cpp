// Opens an RGB 8-bit picture, converts it from one ICC profile to another
// through the colour management filter (relative colorimetric, 8 bits in and
// out) and saves it as a TIFF: RGB or CMYK after the output profile.
//
//   bench_icc IN.tif OUT.tif FROM.icc TO.icc
#include "bench/tools/filter_command.h"
#include "filters/VorlatFilterQRV.h"
#include "filters/VorlatFilterQRVEngine.h"

int main(int argc, char** argv)
{
    if (argc != 5)
        benchcmd::Usage("bench_icc IN.tif OUT.tif FROM.icc TO.icc");
    CVorlatFilterQRVEngine engine;
    benchcmd::Check(engine.SetProfiles(benchcmd::FileName(argv[3]), benchcmd::FileName(argv[4])), "profiles");
    benchcmd::Check(engine.SetBitsPerComponent(false, 8), "input bits");
    benchcmd::Check(engine.SetBitsPerComponent(true, 8), "output bits");
    benchcmd::Check(engine.SetRenderingIntent(1), "intent");
    benchcmd::FilterRun run(argv[1]);
    CVorlatFilterQRV qrv(run.manager);
    benchcmd::Check(qrv.SetQRVEngine(&engine, false), "engine");
    run.ProcessAndSave(&qrv, argv[2]);
    benchcmd::Check(qrv.SetQRVEngine(nullptr, false), "engine");
    return 0;
}
