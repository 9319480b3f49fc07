// Writing and reading a 6000 x 4000 RGB 16-bit TIFF through the saver and the
// loader (file streams, a tile manager with a small budget), beside libtiff's
// tiffcp copying the same file; and decoding a 4028 x 1324 compressed raw
// mosaic, single thread. Prints one table.
//
//   fileio_tiff_bench [width height] [scratch folder]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/tests/raw_test_encoder.h"
#include "fileio/tiff/raw_decoder.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Check(IVorlatError* err, const char* what)
{
    if (err) {
        std::fprintf(stderr, "%s failed: %d\n", what, err->GetDeepestValue());
        err->Destroy();
        std::exit(1);
    }
}

long PeakKiB()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

IVorlatFileStream* FileStream(const std::string& path)
{
    IVorlatFileStream* stream = nullptr;
    Check(IVorlatFileStream::CreateFileStream(&stream), "stream");
    _VorlatFile file{};
    std::strncpy(file.path, path.c_str(), sizeof file.path - 1);
    Check(stream->SetFile(file), "file");
    return stream;
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t width = argc > 2 ? std::atoi(argv[1]) : 6000, height = argc > 2 ? std::atoi(argv[2]) : 4000;
    const std::string scratch = argc > 3 ? argv[3] : ".";
    const std::string ours = scratch + "/tiff_bench_ours.tif", copy = scratch + "/tiff_bench_copy.tif";

    _VorlatFile page{};
    std::snprintf(page.path, sizeof page.path, "%s/tiff_bench_pages.tmp", scratch.c_str());
    IVorlatManager* manager = nullptr;
    Check(IVorlatManager::CreateManager(&manager, page, 64 << 20, 65536, 0), "manager");

    // The source: a 16-bit RGB image filled band by band.
    IVorlatImage* source = nullptr;
    Check(manager->CreateImage(&source, 0), "image");
    Check(source->SetColorSpace(33), "colour space");
    Check(source->SetSize(width, height), "size");
    std::vector<uint16_t> band(static_cast<size_t>(width) * 3 * 64);
    for (int32_t top = 0; top < height; top += 64) {
        const int32_t rows = std::min(64, height - top);
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < width; ++x)
                for (int c = 0; c < 3; ++c)
                    band[(static_cast<size_t>(y) * width + x) * 3 + c] = static_cast<uint16_t>((x * 11 + (top + y) * 7 + c * 4099) & 0xFFFF);
        const RECT rect = {0, top, width, top + rows};
        Check(source->SetData(band.data(), width * 6, rect), "fill");
    }
    const long before = PeakKiB();

    Clock::time_point start = Clock::now();
    IVorlatFileStream* out = FileStream(ours);
    IVorlatSave* save = nullptr;
    Check(IVorlatSave::CreateSave(&save), "saver");
    Check(save->AttachStream(out, nullptr, kFormatTiff, 0), "attach");
    Check(save->BeginSave(source, nullptr, 0), "begin save");
    while (!save->IsFinished())
        Check(save->Execute(), "save step");
    save->DetachStream();
    save->Destroy();
    out->Destroy();
    const double written = Seconds(start);
    const long afterWrite = PeakKiB();

    start = Clock::now();
    IVorlatFileStream* in = FileStream(ours);
    IVorlatLoad* load = nullptr;
    Check(IVorlatLoad::CreateLoad(&load), "loader");
    Check(load->AttachStream(in, nullptr, 0, 0), "attach");
    IVorlatImage* target = nullptr;
    Check(manager->CreateImage(&target, 0), "image");
    Check(load->BeginLoadImage(target), "begin load");
    while (!load->IsFinished())
        Check(load->Execute(), "load step");
    load->DetachStream();
    load->Destroy();
    in->Destroy();
    const double read = Seconds(start);
    const long afterRead = PeakKiB();

    start = Clock::now();
    const std::string command = "tiffcp -c none " + ours + " " + copy;
    const bool peer = std::system(command.c_str()) == 0;
    const double copied = Seconds(start);

    // The compressed raw decoder, input in 1 MiB chunks, output in bands.
    const uint32_t rawWidth = 4028, rawHeight = 1324;
    const uint16_t predictors[4] = {2048, 2048, 2048, 2048};
    const std::vector<uint16_t> values = fileio_test::SyntheticMosaic(rawWidth, rawHeight, 4096, 3);
    const std::vector<uint8_t> data = fileio_test::EncodeCompressedRaw(values, rawWidth, rawHeight, predictors);
    quarnite::CompressedRawParameters parameters = fileio_test::RawParameters(4096, predictors);
    std::vector<uint16_t> rows(static_cast<size_t>(rawWidth) * 64);
    double decodeSeconds = 1e9;
    for (int pass = 0; pass < 5; ++pass) {
        quarnite::CompressedRawDecoder decoder;
        if (!decoder.Init(rawWidth, rawHeight, parameters))
            return 1;
        start = Clock::now();
        size_t fed = 0;
        while (!decoder.Finished()) {
            decoder.SetOutput(rows.data(), static_cast<uint32_t>(rows.size() * 2));
            while (decoder.Decode() == quarnite::CompressedRawDecoder::kNeedInput) {
                const size_t n = std::min<size_t>(1 << 20, data.size() - fed);
                decoder.SetInput(data.data() + fed, static_cast<uint32_t>(n), fed + n == data.size());
                fed += n;
            }
        }
        decodeSeconds = std::min(decodeSeconds, Seconds(start));
    }

    const double megabytes = static_cast<double>(width) * height * 6 / 1e6;
    std::printf("%-44s %10s %10s %14s\n", "operation", "seconds", "MB/s", "peak +KiB");
    std::printf("%-44s %10.3f %10.1f %14ld\n", "write 16-bit RGB TIFF (Quarnite3)", written, megabytes / written, afterWrite - before);
    std::printf("%-44s %10.3f %10.1f %14ld\n", "read 16-bit RGB TIFF (Quarnite3)", read, megabytes / read, afterRead - afterWrite);
    if (peer)
        std::printf("%-44s %10.3f %10.1f %14s\n", "tiffcp -c none (read and write)", copied, megabytes / copied, "-");
    std::printf("%-44s %10.3f %10.1f  Msamples/s\n", "decode 4028x1324 compressed raw", decodeSeconds,
                rawWidth * static_cast<double>(rawHeight) / 1e6 / decodeSeconds);
    target->Destroy();
    source->Destroy();
    manager->Destroy();
    std::remove(ours.c_str());
    std::remove(copy.c_str());
    return 0;
}
