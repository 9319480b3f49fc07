// Opens a TIFF through the loader and saves it again through the saver, as
// tiffcp -c none copies one.
//
//   bench_tiff_copy IN.tif OUT.tif
#include "bench/tools/command.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        benchcmd::Usage("bench_tiff_copy IN.tif OUT.tif");
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = benchcmd::Load(manager, argv[1]);
    benchcmd::Save(image, argv[2], kFormatTiff, 0);
    image->Destroy();
    manager->Destroy();
    return 0;
}
