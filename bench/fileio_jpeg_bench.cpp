// Decoding and encoding a 24-Mpixel photographic picture, single thread, ours
// beside libjpeg-turbo's djpeg and cjpeg (whose times include starting the
// program and reading or writing its PPM file). Each time is the best of a few
// runs, since the machine is shared. Prints one table.
//
//   fileio_jpeg_bench [width height] [scratch folder] [decode|encode]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "fileio/VorlatStream.h"
#include "fileio/jpeg_decoder.h"
#include "fileio/jpeg_encoder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 3;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Check(IVorlatError* err, const char* what)
{
    if (err) {
        std::fprintf(stderr, "%s failed: %d\n", what, err->GetDeepestValue());
        err->Destroy();
        std::exit(1);
    }
}

// Texture of several frequencies and noise: about 3 bits per pixel at cjpeg -quality 90.
std::vector<uint8_t> MakePicture(int32_t width, int32_t height)
{
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    uint32_t state = 12345;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int32_t noise = static_cast<int32_t>(state >> 27) - 16;
            const double luma = 120 + 50 * std::sin(x * 0.013) * std::cos(y * 0.011) + 30 * std::sin((x - y) * 0.21) +
                                15 * std::sin(x * 0.9) * std::sin(y * 0.7);
            const double cast[3] = {25 * std::sin(y * 0.002), 10 * std::cos(x * 0.003), -25 * std::sin(x * 0.0017)};
            for (int c = 0; c < 3; ++c) {
                const int32_t v = static_cast<int32_t>(luma + cast[c]) + noise;
                rgb[(static_cast<size_t>(y) * width + x) * 3 + c] = static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
            }
        }
    return rgb;
}

double TimeCommand(const std::string& command)
{
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        const Clock::time_point start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "failed: %s\n", command.c_str());
            std::exit(1);
        }
        best = std::min(best, Seconds(start));
    }
    return best;
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        std::fseek(f, 0, SEEK_END);
        bytes.resize(static_cast<size_t>(std::ftell(f)));
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(bytes.data(), 1, bytes.size(), f) != bytes.size())
            bytes.clear();
        std::fclose(f);
    }
    return bytes;
}

IVorlatMemoryStream* OpenMemory(std::vector<uint8_t>& bytes, bool read)
{
    IVorlatMemoryStream* stream = nullptr;
    Check(IVorlatMemoryStream::CreateMemoryStream(&stream), "memory stream");
    stream->SetMemory(bytes.data(), static_cast<uint32_t>(bytes.size()));
    Check(stream->OpenStream(read), "open");
    return stream;
}

double DecodeOurs(IVorlatManager* manager, std::vector<uint8_t>& file, int32_t scale)
{
    IVorlatMemoryStream* stream = OpenMemory(file, true);
    IVorlatImage* image = nullptr;
    Check(manager->CreateImage(&image, 0), "image");
    const Clock::time_point start = Clock::now();
    {
        quarnite::CJpegDecoder decoder(stream);
        Check(decoder.BeginDecode(image, scale), "begin decode");
        while (!decoder.IsFinished())
            Check(decoder.Execute(), "decode");
    }
    const double seconds = Seconds(start);
    image->Destroy();
    stream->CloseStream();
    stream->Destroy();
    return seconds;
}

// The output buffer is the caller's, already touched, so no run pays its page faults.
double EncodeOurs(IVorlatImage* source, int32_t level, std::vector<uint8_t>& out, size_t* bytes)
{
    IVorlatMemoryStream* stream = OpenMemory(out, false);
    const Clock::time_point start = Clock::now();
    {
        quarnite::CJpegEncoder encoder(stream);
        Check(encoder.WriteStartOfImage(), "start");
        Check(encoder.Begin(source, level), "begin encode");
        while (!encoder.IsFinished())
            Check(encoder.Execute(), "encode");
    }
    const double seconds = Seconds(start);
    int32_t at = 0;
    Check(stream->Tell(&at), "tell");
    *bytes = static_cast<size_t>(at);
    stream->CloseStream();
    stream->Destroy();
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t width = argc >= 3 ? std::atoi(argv[1]) : 6000;
    const int32_t height = argc >= 3 ? std::atoi(argv[2]) : 4000;
    const std::string scratch = argc >= 4 ? argv[3] : "/tmp";
    const std::string only = argc >= 5 ? argv[4] : "";
    const std::string ppm = scratch + "/fileio_jpeg_bench.ppm";
    const std::string jpg = scratch + "/fileio_jpeg_bench.jpg";

    std::vector<uint8_t> rgb = MakePicture(width, height);
    if (FILE* f = std::fopen(ppm.c_str(), "wb")) {
        std::fprintf(f, "P6\n%d %d\n255\n", width, height);
        std::fwrite(rgb.data(), 1, rgb.size(), f);
        std::fclose(f);
    }
    TimeCommand("cjpeg -quality 90 -outfile " + jpg + " " + ppm);
    std::vector<uint8_t> file = ReadFile(jpg);

    _VorlatFile pages = {};
    std::snprintf(pages.path, sizeof pages.path, "%s/fileio_jpeg_bench.tmp", scratch.c_str());
    IVorlatManager* manager = nullptr;
    Check(IVorlatManager::CreateManager(&manager, pages, 1 << 30, 65536, 0), "manager");

    std::printf("%d x %d pixels, cjpeg -quality 90: %.2f bits per pixel\n\n", width, height,
                8.0 * file.size() / (static_cast<double>(width) * height));
    std::printf("%-28s %10s %10s %8s\n", "", "ours (s)", "peer (s)", "ratio");
    for (int32_t scale : {1, 8}) {
        if (only == "encode")
            break;
        DecodeOurs(manager, file, scale);  // warm
        double ours = 1e30;
        for (int run = 0; run < kRuns; ++run)
            ours = std::min(ours, DecodeOurs(manager, file, scale));
        const double theirs = TimeCommand("djpeg -dct int -nosmooth -scale 1/" + std::to_string(scale) +
                                          " -outfile /dev/null " + jpg);
        std::printf("decode 1/%-19d %10.3f %10.3f %8.2f\n", scale, ours, theirs, ours / theirs);
    }

    IVorlatImage* source = nullptr;
    Check(manager->CreateImage(&source, 0), "source");
    Check(source->SetColorSpace(32), "colour space");
    Check(source->SetSize(width, height), "size");
    const RECT all = {0, 0, width, height};
    Check(source->SetData(rgb.data(), width * 3, all), "pixels");
    std::vector<uint8_t> out(only == "decode" ? 0 : rgb.size() * 2 + 65536);
    for (int32_t level = 1; level <= 5 && only != "decode"; ++level) {
        // cjpeg with the level's tables, sampling and transform.
        const std::string tables = scratch + "/fileio_jpeg_bench_q.txt";
        if (FILE* f = std::fopen(tables.c_str(), "w")) {
            for (const uint8_t* t : {quarnite::CJpegEncoder::LuminanceTable(level),
                                     quarnite::CJpegEncoder::ChrominanceTable(level)})
                for (int i = 0; i < 64; ++i)
                    std::fprintf(f, "%d%c", t[i], i % 8 == 7 ? '\n' : ' ');
            std::fclose(f);
        }
        const char* sampling = level == 1 ? "2x2" : (level <= 3 ? "2x1" : "1x1");
        size_t bytes = 0;
        double ours = 1e30;
        for (int run = 0; run < kRuns; ++run)
            ours = std::min(ours, EncodeOurs(source, level, out, &bytes));
        const double theirs = TimeCommand(std::string("cjpeg -quality 50 -baseline -qslots 0,1,1 -qtables ") + tables +
                                          " -sample " + sampling + " -dct " + (level == 5 ? "int" : "fast") +
                                          " -outfile /dev/null " + ppm);
        std::printf("encode level %d (%5.2f bpp)     %10.3f %10.3f %8.2f\n", level,
                    8.0 * bytes / (static_cast<double>(width) * height), ours, theirs, ours / theirs);
    }
    source->Destroy();
    manager->Destroy();
    std::remove(ppm.c_str());
    std::remove(jpg.c_str());
    return 0;
}
