// Opens a picture and counts the histogram of each of its three channels,
// written as text: one line per value, the three counts.
//
//   bench_histogram IN.tif OUT.txt
#include "bench/tools/command.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        benchcmd::Usage("bench_histogram IN.tif OUT.txt");
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = benchcmd::Load(manager, argv[1]);
    int32_t width = 0, height = 0;
    benchcmd::Check(image->GetWidth(&width), "size");
    benchcmd::Check(image->GetHeight(&height), "size");
    IVorlatHistogram* histogram = nullptr;
    benchcmd::Check(manager->CreateHistogram(&histogram), "histogram");
    benchcmd::Check(VorlatDataConnect(image, histogram), "connect");
    IVorlatHistogram::HistogramTag counts[3] = {};
    for (int32_t channel = 1; channel <= 3; ++channel)
        benchcmd::Check(histogram->GetHistogram(RECT{0, 0, width, height}, channel, &counts[channel - 1]), "count");
    FILE* f = std::fopen(argv[2], "w");
    if (!f)
        benchcmd::Fail(argv[2], nullptr);
    for (int v = 0; v < 256; ++v)
        std::fprintf(f, "%d %d %d\n", counts[0].count[v], counts[1].count[v], counts[2].count[v]);
    std::fclose(f);
    histogram->Destroy();
    image->Destroy();
    manager->Destroy();
    return 0;
}
