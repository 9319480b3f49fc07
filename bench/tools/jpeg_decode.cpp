// Decodes a JPEG file and writes every pixel as a PPM, as djpeg does: at full
// size through the loader, reduced (1/2, 1/4, 1/8) through the decoder, which
// the loader does not offer.
//
//   bench_jpeg_decode IN.jpg OUT.ppm [SCALE]
#include "bench/tools/command.h"
#include "fileio/jpeg_decoder.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        benchcmd::Usage("bench_jpeg_decode IN.jpg OUT.ppm [1|2|4|8]");
    const int32_t scale = argc == 4 ? std::atoi(argv[3]) : 1;
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = nullptr;
    if (scale == 1) {
        image = benchcmd::Load(manager, argv[1]);
    } else {
        benchcmd::Check(manager->CreateImage(&image, kVorlatUsageKeep), "image");
        IVorlatFileStream* in = benchcmd::FileStream(argv[1]);
        benchcmd::Check(in->OpenStream(true), "open");
        {
            quarnite::CJpegDecoder decoder(in);
            benchcmd::Check(decoder.BeginDecode(image, scale), "begin decode");
            while (!decoder.IsFinished())
                benchcmd::Check(decoder.Execute(), "decode");
        }
        in->CloseStream();
        in->Destroy();
    }
    benchcmd::WritePpm(image, argv[2]);
    image->Destroy();
    manager->Destroy();
    return 0;
}
