// The camera layer against a simulated module whose answers the input
// chooses: malformed lists, arrays, ranges and texts, injected failures and
// repeats, and a picture delivered with one of the module's delivery faults.
// Every accessor must come back with a result and no out-of-bounds access;
// a transfer the receiver calls whole must be exactly the delivered picture,
// and a failed one must leave no file and no memory block behind.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/camera/app/orla_kavo.h"
#include "app/camera/app/orla_kavo_image.h"
#include "app/camera/queue/command_queue.h"
#include "app/camera/queue/queue_manager.h"
#include "app/camera/simulated/sim_module.h"
#include "app/camera/tests/memory_file_sink.h"
#include "app/core/curves/lut_group.h"

namespace {

class FuzzClock : public ICameraClock {
public:
    uint32_t Now() override { return now; }
    void Sleep(uint32_t) override { now += 100; }
    uint32_t now = 1000;
};

kavosim::CSimModule* gSim = nullptr;

int32_t KAVO_CALL Entry(KavoObjectRecord* object, uint32_t command, uint32_t param, uint32_t dataType, void* data,
                        KavoCompletionProc completion, void* reference)
{
    return gSim->Call(object, command, param, dataType, data, completion, reference);
}

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint32_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t Word() { return Byte() | Byte() << 8; }
    uint32_t Long() { return Word() | Word() << 16; }
    std::vector<uint8_t> Rest()
    {
        std::vector<uint8_t> rest(data_ + at_, data_ + size_);
        at_ = size_;
        return rest;
    }
    std::vector<uint8_t> Take(size_t n)
    {
        n = std::min(n, size_ - at_);
        std::vector<uint8_t> bytes(data_ + at_, data_ + at_ + n);
        at_ += n;
        return bytes;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Capabilities whose answers are worth bending.
const uint32_t kCaps[] = {0x13,   0x1b,   0x23,   0x26,   0x27,   0x29,   0x2b,   0x8112, 0x8113, 0x8117,
                          0x8157, 0x813d, 0x8125, 0x8151, 0x8147, 0x813f, 0x8114, 0x8115, 0x8119, 0x8144,
                          0x8148, 0x9,    0x35,   0x8111, 0x8107, 0x8118, 0x8124, 0x810b, 0x22,   0x20};
const char* const kFaults[] = {"", "duplicate-first", "past-total", "out-of-order", "total-zero", "ignored-first"};
const char* const kCommands[] = {"get", "set", "array", "start", "default", "*"};

std::string Scenario(Reader& in)
{
    std::string text;
    char line[160];
    const uint32_t flags = in.Byte();
    text += flags & 1 ? "profile minimal\n" : "profile M4\n";
    text += "items 1\n";
    std::snprintf(line, sizeof line, "block %u\n", 1 + in.Word() % 5000);
    text += line;
    if (flags & 2)
        text += "delivery poll\n";
    const uint32_t fault = in.Byte() % 7;
    if (fault == 6) {
        std::snprintf(line, sizeof line, "fault disconnect-after %u\n", in.Byte() % 8);
        text += line;
    } else if (fault) {
        text += std::string("fault ") + kFaults[fault] + "\n";
    }
    const uint32_t bends = in.Byte() % 8;
    for (uint32_t i = 0; i < bends; ++i) {
        const uint32_t kind = in.Byte() % 6;
        const uint32_t cap = kCaps[in.Byte() % (sizeof kCaps / sizeof kCaps[0])];
        switch (kind) {
        case 0:
            std::snprintf(line, sizeof line, "malform listcount 0x%x %u\n", cap, in.Long());
            break;
        case 1:
            std::snprintf(line, sizeof line, "malform elemsize 0x%x %u\n", cap, in.Word() % 600);
            break;
        case 2:
            std::snprintf(line, sizeof line, "malform unterminated 0x%x\n", cap);
            break;
        case 3:
            std::snprintf(line, sizeof line, "fail %u any %s 0x%x %u\n", 128 + in.Byte() % 30,
                          kCommands[in.Byte() % 6], cap, in.Byte() % 4);
            break;
        case 4:
            std::snprintf(line, sizeof line, "repeat %u any get 0x%x\n", 1 + in.Byte() % 3, cap);
            break;
        default:
            std::snprintf(line, sizeof line, "range 0x%x %d %d %u %u\n", cap, static_cast<int8_t>(in.Byte()),
                          static_cast<int8_t>(in.Byte()), in.Byte() % 40, in.Byte() % 40);
            break;
        }
        text += line;
    }
    const std::vector<uint8_t> curve = in.Take(in.Byte() % 80);
    if (!curve.empty()) {
        text += "bytes 0x813f ";
        for (uint8_t b : curve) {
            std::snprintf(line, sizeof line, "%02x", b);
            text += line;
        }
        text += "\n";
    }
    return text;
}

void Accessors(COrlaKavoSource& s, Reader& in)
{
    std::vector<uint16_t> pages;
    std::vector<CQzString> texts;
    std::vector<int32_t> numbers;
    CQzString text;
    KavoDateTime clock;
    const uint16_t v = static_cast<uint16_t>(in.Byte() % 14);
    s.GetKeepAwake();
    s.SetKeepAwake(v);
    s.GetWhiteBalance();
    s.SetWhiteBalance(v);
    s.GetCustomBank();
    s.GetCapability810A();
    s.GetImageType();
    s.SetImageType(v);
    s.GetFlashSyncMode(&pages);
    s.SetFlashSyncMode(v);
    s.GetExposureMode(&pages);
    s.SetExposureMode(v);
    s.GetCapability8100();
    s.GetShutterSpeed(&texts);
    s.GetAperture(nullptr);
    s.GetSensitivity(&numbers);
    s.SetSensitivity(static_cast<int32_t>(in.Word()));
    s.GetImageSize();
    s.SetImageSize(v % 3);
    s.GetContinuousSpeed(v & 1);
    s.SetContinuousSpeed(v);
    s.HasGridDisplayModes();
    s.GetCustomBankCount();
    s.GetCapability8151Count();
    s.GetFlexibleProgram();
    s.GetFlexibleProgramStep();
    s.SetFlexibleProgram(static_cast<int16_t>(in.Word()));
    s.GetExposureCompensationValue();
    s.SetExposureCompensation(static_cast<int16_t>(in.Byte() - 128));
    s.GetWhiteBalanceTune(v);
    s.SetWhiteBalanceTune(v, static_cast<int16_t>(in.Byte() - 128));
    s.GetCapability810B();
    s.GetCapability8144Left(&text);
    s.GetCapability8144Right(&text);
    s.GetCameraID(&text);
    s.GetCameraClock(&clock);
    s.GetCameraKind();
    s.MeasureWhiteBalance(v);
    CQzLutGroup group;
    group.AddChannel(0, {}, {}, {});
    s.ReadCameraCurve(&group);
}

void ImageAccessors(CKavoImageData& image, Reader& in)
{
    std::vector<uint32_t> list;
    uint32_t value = 0, isRange = 0;
    double real = 0;
    KavoRangeRecord range;
    KavoListRecord header;
    KavoArrayRecord array;
    KavoRect rect;
    image.GetEnum1BList(list);
    image.GetEnum1B(&value);
    image.SetEnum1B(in.Byte() % 6);
    image.GetEnum27Default(&value);
    image.GetValue23Info(&isRange, &range, &header);
    image.GetValue23(&real);
    image.GetValue23Default(&real);
    image.SetValue23(static_cast<int8_t>(in.Byte()) / 8.0, in.Byte() & 1);
    image.GetRange2BValue(&real);
    image.GetArray29Info(&array);
    std::vector<uint8_t> buffer(in.Word() % 4096);
    uint32_t size = static_cast<uint32_t>(buffer.size());
    image.ReadArray29(buffer.data(), &size);
    image.GetSize2C(&rect);
    image.GetRect22(&rect);
    const KavoPoint point = {static_cast<int8_t>(in.Byte()), static_cast<int8_t>(in.Byte())};
    CCommandQueue queue;
    image.Start1E(&point, in.Byte() & 1 ? &queue : nullptr, true);
    image.Start1C(true, &queue);
    if (in.Byte() & 1)
        WaitForCommandQueue(&queue);
    image.OnCapabilityChanged(0, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1 << 16))
        return 0;
    Reader in(data, size);
    kavosim::CSimModule sim;
    gSim = &sim;
    FuzzClock clock;
    CCommandQueueManager& manager = CCommandQueueManager::GetInstance();
    manager.SetClock(&clock);
    sim.SetScenarioText(Scenario(in));
    const uint32_t format = 1 + in.Byte() % 4;
    const std::vector<uint8_t> accessorBytes = in.Take(32);
    std::vector<uint8_t> picture = in.Rest();
    sim.SetPictureBytes(format, picture);
    Reader choices(accessorBytes.data(), accessorBytes.size());

    camera_test::MemoryFileSink files;
    camera_test::MemorySettings settings;
    files.folders.insert("T\\");
    {
        COrlaKavoModule module;
        if (module.OpenWithEntryPoint(&Entry) == kKavoOk) {
            CCommandQueue enumeration;
            if (module.QueueChildEnumeration(&enumeration) == kKavoOk)
                WaitForCommandQueue(&enumeration);
            COrlaKavoSource* source = nullptr;
            for (const CKavoBasePtrWrapper& holder : module.GetChildren())
                if ((source = dynamic_cast<COrlaKavoSource*>(holder.Get())))
                    break;
            CKavoBase* item = nullptr;
            CKavoBase* made = nullptr;
            if (source) {
                Accessors(*source, choices);
                if (source->CreateChild(1, &item) == kKavoOk)
                    item->CreateChild(1, &made);
            }
            if (auto* image = dynamic_cast<COrlaKavoImage*>(made)) {
                ImageAccessors(*image, choices);
                image->SetServices(&files, &settings);
                image->SetTarget(kReceiveToMemory | kReceiveToFile, "T");
                CCommandQueue acquire;
                image->QueueAcquire(&acquire, 0);
                WaitForCommandQueue(&acquire);
                const bool whole = image->GetTransferResult() == kKavoOk;
                const std::string path = image->GetPath();
                image->CloseFile();
                if (whole) {
                    if (image->GetTotalSize() != picture.size() ||
                        std::memcmp(image->GetBuffer(), picture.data(), picture.size()) != 0 ||
                        files.files.size() != 1 || files.files.begin()->second.bytes != picture)
                        __builtin_trap();
                } else {
                    files.RemoveFile(path.c_str());
                    if (!files.files.empty())
                        __builtin_trap();
                }
                image->FreeBuffer();
                if (files.blocksHeld != 0)
                    __builtin_trap();
            }
            module.Close();
        }
    }
    manager.SetClock(nullptr);
    gSim = nullptr;
    return 0;
}
