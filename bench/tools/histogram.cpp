// Opens a picture and counts the histogram of its three channels, or of one
// of them, written as text: one line per value, the counts.
//
//   bench_histogram IN.tif OUT.txt [CHANNEL]
#include "bench/tools/command.h"

int main(int argc, char** argv)
{
    if (argc != 3 && argc != 4)
        benchcmd::Usage("bench_histogram IN.tif OUT.txt [CHANNEL(1-3)]");
    const int32_t first = argc == 4 ? std::atoi(argv[3]) : 1, last = argc == 4 ? first : 3;
    if (first < 1 || last > 3)
        benchcmd::Usage("bench_histogram IN.tif OUT.txt [CHANNEL(1-3)]");
    IVorlatManager* manager = benchcmd::OpenManager();
    IVorlatImage* image = benchcmd::Load(manager, argv[1]);
    int32_t width = 0, height = 0;
    benchcmd::Check(image->GetWidth(&width), "size");
    benchcmd::Check(image->GetHeight(&height), "size");
    IVorlatHistogram* histogram = nullptr;
    benchcmd::Check(manager->CreateHistogram(&histogram), "histogram");
    benchcmd::Check(VorlatDataConnect(image, histogram), "connect");
    IVorlatHistogram::HistogramTag counts[3] = {};
    for (int32_t channel = first; channel <= last; ++channel)
        benchcmd::Check(histogram->GetHistogram(RECT{0, 0, width, height}, channel, &counts[channel - first]), "count");
    FILE* f = std::fopen(argv[2], "w");
    if (!f)
        benchcmd::Fail(argv[2], nullptr);
    for (int v = 0; v < 256; ++v) {
        for (int32_t channel = first; channel <= last; ++channel)
            std::fprintf(f, channel == first ? "%d" : " %d", counts[channel - first].count[v]);
        std::fprintf(f, "\n");
    }
    std::fclose(f);
    histogram->Destroy();
    image->Destroy();
    manager->Destroy();
    return 0;
}
