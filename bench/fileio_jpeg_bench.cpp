// JPEG decoding and encoding of a photograph-like picture, ours beside
// libjpeg-turbo's djpeg and cjpeg as whole commands (bench/tools:
// bench_jpeg_decode, bench_jpeg_encode), cold, at 24 Mpixel; both sides again
// at 96 Mpixel for memory. Beside them, our decoder and encoder timed inside
// this program from and to memory after a first run (the warm column).
//
//   djpeg -dct int -nosmooth [-scale 1/8] -outfile /dev/null IN.jpg
//   bench_jpeg_decode IN.jpg /dev/null [8]
//   cjpeg -quality 50 -baseline -qslots 0,1,1 -qtables LEVEL.txt -sample S -dct fast|int -outfile OUT.jpg IN.ppm
//   bench_jpeg_encode IN.tif OUT.jpg LEVEL
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
#include "bench/bench_tiff.h"
#include "bench/peer_run.h"
#include "fileio/VorlatStream.h"
#include "fileio/jpeg_decoder.h"
#include "fileio/jpeg_encoder.h"

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

peer::BandMaker Bands(const std::vector<uint8_t>& rgb, int32_t width)
{
    return [&rgb, width](int32_t top, int32_t rows, uint8_t* band) {
        std::memcpy(band, rgb.data() + static_cast<size_t>(top) * width * 3, static_cast<size_t>(rows) * width * 3);
    };
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
double EncodeOurs(IVorlatImage* source, int32_t level, std::vector<uint8_t>& out)
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
    stream->CloseStream();
    stream->Destroy();
    return seconds;
}

// The best of a warm-up and kRuns timed runs.
template <class Run>
double Warm(Run run)
{
    run();
    double best = 1e30;
    for (int i = 0; i < peer::kRuns; ++i)
        best = std::min(best, run());
    return best;
}

// The files of one picture size: PPM for cjpeg, TIFF for ours, baseline JPEG for both decoders.
struct Inputs {
    std::string ppm, tif, jpg;
};

Inputs MakeInputs(const std::string& scratch, const char* tag, int32_t width, int32_t height, bool withTiff)
{
    const Inputs in{scratch + "/jpeg_bench_" + tag + ".ppm", scratch + "/jpeg_bench_" + tag + ".tif",
                    scratch + "/jpeg_bench_" + tag + ".jpg"};
    const std::vector<uint8_t> rgb = MakePicture(width, height);
    if (!peer::WritePpm(in.ppm, width, height, 1, Bands(rgb, width)))
        std::exit(1);
    if (withTiff)
        peer::WriteTiff(in.tif, width, height, 32, Bands(rgb, width));
    if (peer::TimeOnce({{"cjpeg", "-quality", "90", "-outfile", in.jpg, in.ppm}, {}, ""}, scratch) < 0)
        std::exit(1);
    return in;
}

struct Encoding {
    std::string tables;
    const char* sampling;
    const char* dct;
};

// cjpeg with the level's tables, sampling and transform.
Encoding EncodingOf(int32_t level, const std::string& scratch)
{
    Encoding e{scratch + "/jpeg_bench_q" + std::to_string(level) + ".txt", level == 1 ? "2x2" : (level <= 3 ? "2x1" : "1x1"),
               level == 5 ? "int" : "fast"};
    if (FILE* f = std::fopen(e.tables.c_str(), "w")) {
        for (const uint8_t* t : {quarnite::CJpegEncoder::LuminanceTable(level), quarnite::CJpegEncoder::ChrominanceTable(level)})
            for (int i = 0; i < 64; ++i)
                std::fprintf(f, "%d%c", t[i], i % 8 == 7 ? '\n' : ' ');
        std::fclose(f);
    }
    return e;
}

struct Commands {
    peer::Command ours, theirs;
};

// Both decoders convert every pixel and write the PPM to /dev/null.
Commands Decode(const Inputs& in, int32_t scale)
{
    Commands c{{{peer::Beside("bench_jpeg_decode"), in.jpg, "/dev/null"}, {}, ""},
               {{"djpeg", "-dct", "int", "-nosmooth"}, {}, ""}};
    if (scale != 1) {
        c.ours.args.push_back(std::to_string(scale));
        c.theirs.args.insert(c.theirs.args.end(), {"-scale", "1/" + std::to_string(scale)});
    }
    c.theirs.args.insert(c.theirs.args.end(), {"-outfile", "/dev/null", in.jpg});
    return c;
}

Commands Encode(const Inputs& in, const std::string& scratch, int32_t level)
{
    const Encoding e = EncodingOf(level, scratch);
    const std::string ours = scratch + "/jpeg_bench_ours.jpg", theirs = scratch + "/jpeg_bench_peer.jpg";
    return {{{peer::Beside("bench_jpeg_encode"), in.tif, ours, std::to_string(level)}, {}, ours},
            {{"cjpeg", "-quality", "50", "-baseline", "-qslots", "0,1,1", "-qtables", e.tables, "-sample", e.sampling,
              "-dct", e.dct, "-outfile", theirs, in.ppm},
             {},
             theirs}};
}

std::string EncodeWork(int32_t level, const std::string& scratch)
{
    const Encoding e = EncodingOf(level, scratch);
    return "encode level " + std::to_string(level) + " (" + e.sampling + ", " + e.dct + ")";
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t width = argc >= 3 ? std::atoi(argv[1]) : 6000;
    const int32_t height = argc >= 3 ? std::atoi(argv[2]) : 4000;
    const char* scratchEnv = std::getenv("TESS_BENCH_SCRATCH");
    const std::string scratch = argc >= 4 ? argv[3] : (scratchEnv && *scratchEnv ? scratchEnv : "/tmp");
    const std::string only = argc >= 5 ? argv[4] : "";
    const bool decode = only != "encode", encode = only != "decode";

    for (const char* tool : {"djpeg", "cjpeg"})
        if (!peer::Have(tool)) {
            std::printf("JPEG: %s is not installed (Debian package libjpeg-turbo-progs): no comparison\n\n", tool);
            return 0;
        }
    const Inputs in = MakeInputs(scratch, "24", width, height, encode);
    std::vector<uint8_t> file = ReadFile(in.jpg);
    std::printf("JPEG, %d x %d pixels (%s), RGB 8-bit; the decoders' file: cjpeg -quality 90 (baseline, 2x2), %.2f bits per pixel\n",
                width, height, peer::Mpix(width, height).c_str(), 8.0 * file.size() / (static_cast<double>(width) * height));
    std::printf("  peers: djpeg -dct int -nosmooth [-scale 1/8] -outfile /dev/null IN.jpg;\n"
                "         cjpeg -quality 50 -baseline -qslots 0,1,1 -qtables LEVEL -sample S -dct fast|int -outfile OUT.jpg IN.ppm\n"
                "  ours:  bench_jpeg_decode IN.jpg /dev/null [8] (the loader; 1/8 through the decoder), writing a PPM as djpeg does;\n"
                "         bench_jpeg_encode IN.tif OUT.jpg LEVEL (uncompressed TIFF in, through the loader and the saver)\n"
                "  warm, in-process = our decoder or encoder alone, from and to memory, timed inside this program after a\n"
                "  first run (best of %d).\n",
                peer::kRuns);
    peer::PrintLegend();

    _VorlatFile pages = {};
    std::snprintf(pages.path, sizeof pages.path, "%s/fileio_jpeg_bench.tmp", scratch.c_str());
    IVorlatManager* manager = nullptr;
    Check(IVorlatManager::CreateManager(&manager, pages, 1 << 30, 65536, 0), "manager");

    const std::string size = peer::Mpix(width, height);
    for (int32_t scale : {1, 8}) {
        if (!decode)
            break;
        const Commands c = Decode(in, scale);
        const peer::Pair p = peer::SideBySide(c.ours, c.theirs, scratch);
        const double warm = Warm([&] { return DecodeOurs(manager, file, scale); });
        peer::PrintRow("decode 1/" + std::to_string(scale), size, p, scale == 1 ? peer::kWithin15 : peer::kNoTarget,
                       warm);
    }

    if (encode) {
        const std::vector<uint8_t> rgb = MakePicture(width, height);
        IVorlatImage* source = nullptr;
        Check(manager->CreateImage(&source, 0), "source");
        Check(source->SetColorSpace(32), "colour space");
        Check(source->SetSize(width, height), "size");
        Check(source->SetData(const_cast<uint8_t*>(rgb.data()), width * 3, RECT{0, 0, width, height}), "pixels");
        std::vector<uint8_t> out(rgb.size() * 2 + 65536);
        for (int32_t level = 1; level <= 5; ++level) {
            const Commands c = Encode(in, scratch, level);
            const peer::Pair p = peer::SideBySide(c.ours, c.theirs, scratch);
            const double warm = Warm([&] { return EncodeOurs(source, level, out); });
            peer::PrintRow(EncodeWork(level, scratch), size, p, peer::kWithin15, warm);
        }
        source->Destroy();
    }
    manager->Destroy();
    std::remove(pages.path);
    for (const std::string* f : {&in.ppm, &in.tif, &in.jpg})
        std::remove(f->c_str());

    // Four times the pixels, for memory: one timed run each.
    const int32_t bigWidth = width * 2, bigHeight = height * 2;
    const std::string bigSize = peer::Mpix(bigWidth, bigHeight);
    const Inputs big = MakeInputs(scratch, "96", bigWidth, bigHeight, encode);
    if (decode) {
        const Commands c = Decode(big, 1);
        peer::PrintRow("decode 1/1", bigSize + ", 1 run", peer::SideBySide(c.ours, c.theirs, scratch, 1),
                       peer::kNoTarget);
    }
    if (encode) {
        const Commands c = Encode(big, scratch, 5);
        peer::PrintRow(EncodeWork(5, scratch), bigSize + ", 1 run", peer::SideBySide(c.ours, c.theirs, scratch, 1),
                       peer::kNoTarget);
    }
    for (const std::string* f : {&big.ppm, &big.tif, &big.jpg})
        std::remove(f->c_str());
    for (int32_t level = 1; level <= 5; ++level)
        std::remove(EncodingOf(level, scratch).tables.c_str());
    std::printf("\n");
    return 0;
}
