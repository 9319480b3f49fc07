// Copying an RGB 16-bit TIFF, ours beside libtiff's tiffcp as whole
// commands (bench/tools: bench_tiff_copy), cold, at 24 Mpixel; the memory of
// both sides again at 96 Mpixel:
//   tiffcp -c none IN.tif OUT.tif
//   bench_tiff_copy IN.tif OUT.tif      (the loader, then the saver)
// The file is one our saver wrote (uncompressed), read by both sides.
//
// In process: the saver and the loader timed inside a child process of their
// own (file streams, a tile manager with a small budget) at 6000 x 4000 and a
// quarter of that, with the anonymous resident memory (RssAnon) they add,
// read before the operation and after each of its steps (the band buffers
// live from step to step); times come from separate runs that take no
// samples. And decoding a 4028 x 1324 compressed raw mosaic on one core.
//
//   fileio_tiff_bench [width height] [scratch folder]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "Vorlat/VorlatImage.h"
#include "Vorlat/VorlatManager.h"
#include "bench/peer_run.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/tests/raw_test_encoder.h"
#include "fileio/tiff/raw_decoder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int32_t kCacheBytes = 16 << 20;  // the tile manager's memory budget

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void Check(IVorlatError* err, const char* what)
{
    if (err) {
        std::fprintf(stderr, "%s failed: %d\n", what, err->GetDeepestValue());
        err->Destroy();
        std::_Exit(1);
    }
}

// RssAnon of a process's status file in KiB; -1 when it cannot be read.
long AnonKiB(const std::string& status = "/proc/self/status")
{
    std::ifstream in(status);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, 8, "RssAnon:") == 0)
            return std::atol(line.c_str() + 8);
    return -1;
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

struct Measure {
    double seconds = 0;
    long anonBefore = 0;  // KiB, when the operation starts
    long anonPeak = 0;    // KiB, the largest sample while it runs
    long wholePeak = 0;   // KiB, maxrss of the process
};

struct Job {
    bool write;  // else read
    int32_t width, height;
    std::string file, scratch;
    bool sample;
};

// Steps a task to its end, sampling RssAnon after each step when asked.
template <class Task>
void RunSteps(Task* task, bool sample, Measure& m)
{
    while (!task->IsFinished()) {
        Check(task->Execute(), "step");
        if (sample)
            m.anonPeak = std::max(m.anonPeak, AnonKiB());
    }
}

// One saver or loader run, in the child process.
Measure RunJob(const Job& job)
{
    _VorlatFile page{};
    std::snprintf(page.path, sizeof page.path, "%s/tiff_bench_pages_%d.tmp", job.scratch.c_str(), static_cast<int>(getpid()));
    IVorlatManager* manager = nullptr;
    Check(IVorlatManager::CreateManager(&manager, page, kCacheBytes, 65536, 0), "manager");
    IVorlatImage* image = nullptr;
    Check(manager->CreateImage(&image, 0), "image");
    Measure m;
    if (job.write) {
        // The source: a 16-bit RGB image filled band by band.
        Check(image->SetColorSpace(33), "colour space");
        Check(image->SetSize(job.width, job.height), "size");
        {
            std::vector<uint16_t> band(static_cast<size_t>(job.width) * 3 * 64);
            for (int32_t top = 0; top < job.height; top += 64) {
                const int32_t rows = std::min(64, job.height - top);
                for (int32_t y = 0; y < rows; ++y)
                    for (int32_t x = 0; x < job.width; ++x)
                        for (int c = 0; c < 3; ++c)
                            band[(static_cast<size_t>(y) * job.width + x) * 3 + c] =
                                static_cast<uint16_t>((x * 11 + (top + y) * 7 + c * 4099) & 0xFFFF);
                const RECT rect = {0, top, job.width, top + rows};
                Check(image->SetData(band.data(), job.width * 6, rect), "fill");
            }
        }
        m.anonBefore = m.anonPeak = AnonKiB();
        const Clock::time_point start = Clock::now();
        IVorlatFileStream* out = FileStream(job.file);
        IVorlatSave* save = nullptr;
        Check(IVorlatSave::CreateSave(&save), "saver");
        Check(save->AttachStream(out, nullptr, kFormatTiff, 0), "attach");
        Check(save->BeginSave(image, nullptr, 0), "begin save");
        RunSteps(save, job.sample, m);
        save->DetachStream();
        save->Destroy();
        out->Destroy();
        m.seconds = Seconds(start);
    } else {
        m.anonBefore = m.anonPeak = AnonKiB();
        const Clock::time_point start = Clock::now();
        IVorlatFileStream* in = FileStream(job.file);
        IVorlatLoad* load = nullptr;
        Check(IVorlatLoad::CreateLoad(&load), "loader");
        Check(load->AttachStream(in, nullptr, 0, 0), "attach");
        Check(load->BeginLoadImage(image), "begin load");
        RunSteps(load, job.sample, m);
        load->DetachStream();
        load->Destroy();
        in->Destroy();
        m.seconds = Seconds(start);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    m.wholePeak = usage.ru_maxrss;
    image->Destroy();
    manager->Destroy();
    std::remove(page.path);
    return m;
}

// Runs the job in a child process and returns what it measured.
Measure InChild(const Job& job)
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        std::exit(1);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeEnds[0]);
        const Measure m = RunJob(job);
        const ssize_t written = write(pipeEnds[1], &m, sizeof m);
        _exit(written == static_cast<ssize_t>(sizeof m) ? 0 : 1);
    }
    close(pipeEnds[1]);
    Measure m;
    const ssize_t got = read(pipeEnds[0], &m, sizeof m);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (got != static_cast<ssize_t>(sizeof m) || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "a measuring process failed\n");
        std::exit(1);
    }
    return m;
}

void Row(const char* what, int32_t width, int32_t height, const Measure& timed, const Measure& sampled)
{
    const double megabytes = static_cast<double>(width) * height * 6 / 1e6;
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::printf("%-34s %-10s %8.3f %8.1f %11ld %11ld %9ld %11ld\n", what, size, timed.seconds, megabytes / timed.seconds,
                sampled.anonBefore, sampled.anonPeak, sampled.anonPeak - sampled.anonBefore, sampled.wholePeak);
}

} // namespace

int main(int argc, char** argv)
{
    const int32_t width = argc > 2 ? std::atoi(argv[1]) : 6000, height = argc > 2 ? std::atoi(argv[2]) : 4000;
    const char* scratchEnv = std::getenv("TESS_BENCH_SCRATCH");
    const std::string scratch = argc > 3 ? argv[3] : scratchEnv ? scratchEnv : ".";
    const std::string ours = scratch + "/tiff_bench_in.tif";

    const std::string oursOut = scratch + "/tiff_bench_ours_copy.tif", peerOut = scratch + "/tiff_bench_peer_copy.tif";
    const peer::Command oursCopy{{peer::Beside("bench_tiff_copy"), ours, oursOut}, {}, oursOut};
    const peer::Command tiffcp{{"tiffcp", "-c", "none", ours, peerOut}, {}, peerOut};
    const bool haveTiffcp = peer::Have("tiffcp");

    // The in-process figures first: their file is the input of the whole commands.
    const int32_t sizes[2][2] = {{width, height}, {width / 2, height / 2}};
    Measure inProcess[2][4];
    for (int i = 0; i < 2; ++i) {
        const int32_t w = sizes[i][0], h = sizes[i][1];
        inProcess[i][0] = InChild({true, w, h, ours, scratch, false});
        inProcess[i][1] = InChild({true, w, h, ours, scratch, true});
        inProcess[i][2] = InChild({false, w, h, ours, scratch, false});
        inProcess[i][3] = InChild({false, w, h, ours, scratch, true});
        if (i == 1)
            break;
        // The file of the full size is still there: the whole commands now.
        std::printf("TIFF, RGB 16-bit, %d x %d pixels (%s), uncompressed, written by our saver\n", w, h,
                    peer::Mpix(w, h).c_str());
        if (!haveTiffcp) {
            std::printf("  tiffcp is not installed (Debian package libtiff-tools): no comparison\n\n");
            continue;
        }
        std::printf("  peer: tiffcp -c none IN.tif OUT.tif;  ours: bench_tiff_copy IN.tif OUT.tif (loader, then saver)\n"
                    "  in-process = our saver's and loader's times added, each timed inside a fresh child process of\n"
                    "  its own (not warmed; the read does not write, the write does not read).\n");
        peer::PrintLegend("in-process");
        peer::PrintRow("read + write (copy)", peer::Mpix(w, h), peer::SideBySide(oursCopy, tiffcp, scratch),
                       peer::kWithin15, inProcess[0][0].seconds + inProcess[0][2].seconds);
        // Four times the pixels, for memory: one timed run each.
        InChild({true, w * 2, h * 2, ours, scratch, false});
        peer::PrintRow("read + write (copy)", peer::Mpix(w * 2, h * 2) + ", 1 run",
                       peer::SideBySide(oursCopy, tiffcp, scratch, 1), peer::kNoTarget);
        std::printf("\n");
        std::remove(ours.c_str());
    }

    std::printf("In process: Quarnite3 saver and loader; memory in KiB of anonymous resident memory (tile cache budget %d KiB)\n",
                kCacheBytes >> 10);
    std::printf("%-34s %-10s %8s %8s %11s %11s %9s %11s\n", "operation", "size", "seconds", "MB/s", "anon before",
                "anon peak", "anon +", "whole peak");
    for (int i = 0; i < 2; ++i) {
        Row("write (Quarnite3 saver)", sizes[i][0], sizes[i][1], inProcess[i][0], inProcess[i][1]);
        Row("read (Quarnite3 loader)", sizes[i][0], sizes[i][1], inProcess[i][2], inProcess[i][3]);
    }
    std::remove(ours.c_str());
    std::printf("\n");

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
        const Clock::time_point start = Clock::now();
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
    std::printf("%-34s %-10s %8.3f %8.1f Msamples/s\n", "decode compressed raw", "4028x1324", decodeSeconds,
                rawWidth * static_cast<double>(rawHeight) / 1e6 / decodeSeconds);
    return 0;
}
