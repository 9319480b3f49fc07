// A heuristic setter call (the size palette calls one per edit; target under
// 1 µs) and a full settings container written and read back (every save and
// load of an image; target under 50 µs).
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/core/heuristics/locked_heuristics.h"
#include "app/core/procset/record_settings.h"

namespace {

using Clock = std::chrono::steady_clock;

double Microseconds(Clock::duration d)
{
    return std::chrono::duration<double, std::micro>(d).count();
}

// Alternating values so that every call changes the state.
double SetterCall(int32_t (*make)(CHeuristic**), const char* kind)
{
    CHeuristic* h = new CHDevSetup(6016, 4000, {300, 1}, {1, 1}, {600, 1});
    make(&h);
    constexpr int kCalls = 200000;
    double sink = 0.0;
    const auto start = Clock::now();
    for (int i = 0; i < kCalls; ++i) {
        switch (i % 4) {
        case 0: h->SetPixelWidth(1000.0 + (i & 255)); break;
        case 1: h->SetResolution({200.0 + (i & 63), 1}); break;
        case 2: h->SetOutputWidth({5.0 + (i & 7), 0}); break;
        default: h->SetScale(0.5 + (i & 15) * 0.01); break;
        }
        sink += h->GetPixelHeight();
    }
    const double perCall = Microseconds(Clock::now() - start) / kCalls;
    std::printf("%-28s %10.3f us  (%s, %.0f)\n", "heuristic setter", perCall, kind, sink > 0 ? 1.0 : 0.0);
    delete h;
    return perCall;
}

double ContainerRoundTrip()
{
    CQzRecordSettings record;
    record.sizeRes = CQzSizeRes(3008, 2000);
    record.curvesOn = 1;
    record.usmOn = 1;
    CQzUSM entry;
    entry.intensity = 80;
    record.usm.Insert(0, 3, entry);
    record.name = "Studio";
    CQzImageProcSet out;
    record.FillProcSet(out);
    std::vector<uint8_t> blob(static_cast<size_t>(out.GetSize()));

    CQzRecordSettings read;
    CQzImageProcSet in;
    read.FillProcSet(in);
    constexpr int kRounds = 5000;
    const auto start = Clock::now();
    for (int i = 0; i < kRounds; ++i) {
        out.GetData(blob.data(), static_cast<int32_t>(blob.size()));
        in.SetDataMasked(blob.data(), static_cast<int32_t>(blob.size()), 3008, 2000);
    }
    const double perRound = Microseconds(Clock::now() - start) / kRounds;
    std::printf("%-28s %10.3f us  (%zu bytes)\n", "container write + read", perRound, blob.size());
    return perRound;
}

}  // namespace

int main()
{
    std::printf("%-28s %13s\n", "operation", "time");
    const bool fast = SetterCall(MakeLockCrop, "Crop") < 1.0 && SetterCall(MakeLockSize, "Size") < 1.0;
    const bool container = ContainerRoundTrip() < 50.0;
    std::printf("targets: setter under 1 us %s, container under 50 us %s\n", fast ? "met" : "MISSED",
                container ? "met" : "MISSED");
    return 0;
}
