#include "app/core/load/image_load.h"

#include <cstring>
#include <vector>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/image_open.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/load/load_context.h"
#include "app/core/procset/image_proc_set.h"
#include "app/core/record/image_record.h"
#include "fileio/VorlatLoad.h"
#include "fileio/VorlatStream.h"
#include "fileio/VorlatTagControl.h"

namespace {

constexpr TagId kImageProcSettingsTag = 0x80E01;
// The container's first pass reads everything but the size and resolution
// record, which needs the orientation the first pass finds.
constexpr uint32_t kAllButSizeRes = ~static_cast<uint32_t>(kProcSizeRes);

// The stream and loader of one load, detached and destroyed on every way out.
struct LoadObjects {
    IVorlatStream* stream = nullptr;
    IVorlatLoad* loader = nullptr;
    bool attached = false;

    ~LoadObjects()
    {
        if (attached)
            loader->DetachStream();
        if (loader)
            loader->Destroy();
        if (stream)
            stream->Destroy();
    }
};

// Ends the caller's progress step on every way out of a load.
struct ProgressStepAtEnd {
    ~ProgressStepAtEnd() { GetLoadProgress().Step(); }
};

// A new image of the drawing tile manager in the slot, holding one engine
// reference; the image it replaces loses the slot's reference.
int32_t CreateRecordImage(IVorlatImage*& slot)
{
    IVorlatManager* manager = GetLoadImageManager();
    IVorlatImage* image = nullptr;
    if (!manager || DropChain(manager->CreateImage(&image, 0)) || !image)
        return kEngineNoObject;
    AddRefImageData(image);
    if (slot)
        ReleaseImageData(slot);
    slot = image;
    return kEngineOk;
}

// Every load starts from an empty tag store, so that tags of an earlier file
// never pass for this one's.
int32_t CreateRecordTags(CImageRecord& record)
{
    IVorlatTagControl* tags = nullptr;
    if (DropChain(IVorlatTagControl::CreateTagControl(&tags)) || !tags)
        return kEngineNoObject;
    if (record.tags)
        record.tags->Destroy();
    record.tags = tags;
    return kEngineOk;
}

// The images and tag store both loaders start with.
int32_t PrepareRecord(CImageRecord& record, bool thumbnailIsNew)
{
    int32_t result = CreateRecordImage(record.imageData);
    if (result == kEngineOk && thumbnailIsNew)
        result = CreateRecordImage(record.secondData);
    if (result == kEngineOk)
        result = CreateRecordTags(record);
    return result;
}

bool IsRawMosaic(const CImageRecord& record, int32_t colorSpace)
{
    return GetImageFileKind(record.tags) == kFileKindRaw && colorSpace == 64;
}

// Decodes the private settings tag into the record's settings objects, for
// an image of width x height developed pixels (0 x 0 when unknown).
void ReadSettingsTag(CImageRecord& record, int32_t width, int32_t height, bool rawMosaic)
{
    const uint32_t size = record.tags->GetTagSize(kImageProcSettingsTag, 0);
    // The container measures in 32 bits.
    if (size == 0 || size > static_cast<uint32_t>(INT32_MAX))
        return;
    std::vector<uint8_t> blob(size);
    if (DropChain(record.tags->GetTagValue(kImageProcSettingsTag, kTagTypeBytes, size, blob.data(), 0)))
        return;
    const int32_t length = static_cast<int32_t>(size);

    SettingsTagPresent(record) = 1;
    CQzImageProcSet set;
    double levels[4] = {};
    if (ReadTagBytes(record.tags, kTagShotMultipliers, kTagTypeDoubles, sizeof levels, levels)) {
        set.legacyGainScale1 = levels[0];
        set.legacyGainScale2 = levels[1];
    }
    // The objects only: an on/off record the blob lacks reads as off.
    set.usm = &record.usm;
    set.curves = &record.curves;
    set.colourBalance = &record.colourBalance;
    set.sizeRes = &record.sizeRes;
    set.exposure = &record.exposure;
    set.whiteBalance = &record.whiteBalance;
    set.noiseReduction = &record.noiseReduction;
    set.componentMask = kAllButSizeRes;
    set.enableMask = 0;
    set.SetDataMasked(blob.data(), length, width, height);
    record.TakeFromProcSet(set);
    // Noise reduction is never stored: a file with settings opens with it off.
    record.noiseReductionOn = set.noiseReductionOn;

    // The size and resolution object lives in the turned image's size. The
    // container turns the size it is given itself, so the second pass gets
    // the size as developed; turning it here as well would hand the reader
    // the unturned size for an object just made for the turned one.
    if (record.rotation % 180 != 0)
        record.sizeRes = CQzSizeRes(height, width);
    set.componentMask = kProcSizeRes;
    set.SetDataMasked(blob.data(), length, width, height);

    // Exposure and white balance act on camera raw data only; which image
    // this is comes from this load, not from what the record held before.
    if (!rawMosaic) {
        record.exposureOn = 0;
        record.whiteBalanceOn = 0;
    }
    record.noiseReductionOn = 0;
}

}  // namespace

int32_t ReadLoadedImage(CImageRecord* record, IVorlatLoad* load, bool checkOriginal, bool thumbnailIsNew,
                        int32_t /*spare*/)
{
    CEngineLockHold hold;
    if (!record || !load || !record->imageData)
        return kEngineNoObject;

    int32_t result = kEngineOk;
    if (DropChain(load->BeginLoadImage(record->imageData)))
        result = kEngineNoColorSpace;
    int32_t colorSpace = 0;
    DropChain(record->imageData->GetColorSpace(&colorSpace));
    if (checkOriginal && !IsSupportedCameraFile(record->tags))
        result = kEngineNotCameraFile;

    if (result == kEngineOk) {
        while (!load->IsFinished()) {
            if (GetTransferCancelFlag() != 0) {
                result = kEngineCancelled;
                break;
            }
            int32_t done = 0, total = 0;
            load->GetProgress(&done, &total);
            GetLoadProgress().SetFraction(LoadProgressFraction(done, total));
            if (DropChain(load->Execute())) {
                result = kEngineFailed;
                break;
            }
        }
    }

    // 0 x 0 is the container's unknown size.
    int32_t width = 0, height = 0;
    if (result == kEngineOk && GetDevelopedImageSize(record->imageData, &width, &height)) {
        SettingsTagPresent(*record) = 0;
        record->sizeRes = CQzSizeRes(width, height);
    }
    const bool rawMosaic = IsRawMosaic(*record, colorSpace);
    if (record->tags)
        ReadSettingsTag(*record, width, height, rawMosaic);

    if (result == kEngineOk) {
        record->LoadFileInfo();
        record->raw = rawMosaic ? 1 : 0;
    }

    if (record->secondData && thumbnailIsNew && result == kEngineOk) {
        if (!LoadImageSteps(record->secondData, 1, load)) {
            if (ThumbnailRenderer render = GetThumbnailRenderer())
                render(*record, kThumbnailRenderSize);
        }
    }
    return result;
}

int32_t LoadImageFile(CImageRecord* record, const char* path, bool checkOriginal, int32_t spare)
{
    CEngineLockHold hold;
    ProgressStepAtEnd step;
    if (!record)
        return kEngineNoObject;
    const bool thumbnailIsNew = record->secondData == nullptr;

    LoadObjects load;
    IVorlatFileStream* file = nullptr;
    if (DropChain(IVorlatFileStream::CreateFileStream(&file)) || !file)
        return kEngineNoObject;
    load.stream = file;
    if (DropChain(IVorlatLoad::CreateLoad(&load.loader)) || !load.loader)
        return kEngineNoObject;
    if (const int32_t made = PrepareRecord(*record, thumbnailIsNew); made != kEngineOk)
        return made;

    _VorlatFile name{};
    if (!path || std::strlen(path) >= sizeof name.path)
        return kEngineOpenFailed;
    std::strcpy(name.path, path);
    if (DropChain(file->SetFile(name)) || DropChain(load.loader->AttachStream(file, record->tags, 0, 0)))
        return kEngineOpenFailed;
    load.attached = true;

    return ReadLoadedImage(record, load.loader, checkOriginal, thumbnailIsNew, spare);
}

int32_t LoadImageFromMemory(CImageRecord* record, const void* buffer, uint32_t size, int32_t spare)
{
    CEngineLockHold hold;
    ProgressStepAtEnd step;
    if (!record)
        return kEngineNoObject;
    const bool thumbnailIsNew = record->secondData == nullptr;

    LoadObjects load;
    IVorlatMemoryStream* memory = nullptr;
    if (DropChain(IVorlatMemoryStream::CreateMemoryStream(&memory)) || !memory)
        return kEngineNoObject;
    load.stream = memory;
    if (DropChain(IVorlatLoad::CreateLoad(&load.loader)) || !load.loader)
        return kEngineNoObject;
    if (const int32_t made = PrepareRecord(*record, thumbnailIsNew); made != kEngineOk)
        return made;

    // The stream only reads the block.
    if (!buffer || DropChain(memory->SetMemory(const_cast<void*>(buffer), size)) ||
        DropChain(load.loader->AttachStream(memory, record->tags, 0, 0)))
        return kEngineNoObject;
    load.attached = true;

    return ReadLoadedImage(record, load.loader, false, true, spare);
}
