// Opens a picture (an RGB 8-bit TIFF) through the loader and saves it as a
// JPEG at one of the encoder's levels, each of which fixes the quantisers,
// the chroma sampling and the transform.
//
//   bench_jpeg_encode IN.tif OUT.jpg LEVEL
#include "bench/tools/command.h"

int main(int argc, char** argv)
{
    if (argc != 4)
        benchcmd::Usage("bench_jpeg_encode IN.tif OUT.jpg LEVEL(1-5)");
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = benchcmd::Load(manager, argv[1]);
    benchcmd::Save(image, argv[2], kFormatJpeg, std::atoi(argv[3]));
    image->Destroy();
    manager->Destroy();
    return 0;
}
