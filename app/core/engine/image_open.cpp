#include "app/core/engine/image_open.h"

#include <cmath>
#include <cstring>

#include "app/core/engine/develop_engine.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/wb_adjustment.h"

namespace {

constexpr const char* kModels[] = {"KORVA M4 ", "KORVA M4H", "KORVA M4X"};

bool SameTextIgnoringCase(const char* a, const char* b)
{
    if (std::strlen(a) != std::strlen(b))
        return false;
    for (; *a; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(*a), y = static_cast<unsigned char>(*b);
        if (x >= 'a' && x <= 'z')
            x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

// The objects of one load, destroyed in reverse order on every way out.
struct LoadObjects {
    IVorlatStream* stream = nullptr;
    IVorlatLoad* loader = nullptr;
    IVorlatImage* image = nullptr;
    IVorlatTagControl* tags = nullptr;
    bool attached = false;

    // -252 when an object cannot be made, -239 when the source is refused.
    int32_t Create(const char* path, const void* memory, uint32_t size, IVorlatManager* manager)
    {
        if (path) {
            IVorlatFileStream* file = nullptr;
            if (DropChain(IVorlatFileStream::CreateFileStream(&file)) || !file)
                return kEngineNoObject;
            stream = file;
        } else {
            IVorlatMemoryStream* block = nullptr;
            if (DropChain(IVorlatMemoryStream::CreateMemoryStream(&block)) || !block)
                return kEngineNoObject;
            stream = block;
        }
        if (DropChain(IVorlatLoad::CreateLoad(&loader)) || !loader)
            return kEngineNoObject;
        if (!manager || DropChain(manager->CreateImage(&image, 0)) || !image)
            return kEngineNoObject;
        if (DropChain(IVorlatTagControl::CreateTagControl(&tags)) || !tags)
            return kEngineNoObject;
        if (path) {
            _VorlatFile file{};
            if (std::strlen(path) >= sizeof file.path)
                return kEngineOpenFailed;
            std::strcpy(file.path, path);
            if (DropChain(static_cast<IVorlatFileStream*>(stream)->SetFile(file)))
                return kEngineOpenFailed;
        } else if (DropChain(static_cast<IVorlatMemoryStream*>(stream)->SetMemory(const_cast<void*>(memory), size))) {
            return kEngineOpenFailed;
        }
        if (DropChain(loader->AttachStream(stream, tags, 0, 0)))
            return kEngineOpenFailed;
        attached = true;
        return kEngineOk;
    }

    void Detach()
    {
        if (attached)
            loader->DetachStream();
        attached = false;
    }

    ~LoadObjects()
    {
        Detach();
        if (tags)
            tags->Destroy();
        if (image)
            image->Destroy();
        if (loader)
            loader->Destroy();
        if (stream) {
            stream->CloseStream();
            stream->Destroy();
        }
    }
};

}  // namespace

bool ReadTagBytes(const IVorlatTagControl* tags, TagId tag, uint32_t type, uint32_t bytes, void* buffer)
{
    return tags && !DropChain(tags->GetTagValue(tag, type, bytes, buffer, 0));
}

bool ReadTagLong(const IVorlatTagControl* tags, TagId tag, int32_t* value)
{
    int32_t read = 0;
    if (!ReadTagBytes(tags, tag, kTagTypeLongs, 4, &read))
        return false;
    *value = read;
    return true;
}

uint8_t LoadImageSteps(IVorlatImage* target, int32_t index, IVorlatLoad* loader)
{
    CEngineLockHold hold;
    if (!target || !loader)
        return 0;
    if (DropChain(loader->LoadThumbnail(index, target)))
        return 0;
    while (!loader->IsFinished()) {
        if (DropChain(loader->Execute()))
            return 0;
    }
    return 1;
}

uint8_t OpenImage(IVorlatImage** image, const char* path, const void* memory, uint32_t size)
{
    CEngineLockHold hold;
    if (!image)
        return 0;
    *image = nullptr;
    LoadObjects load;
    int32_t code = load.Create(path, memory, size, GetImageManager());
    if (load.image)
        AddRefImageData(load.image);
    if (code == kEngineOk && !LoadImageSteps(load.image, 1, load.loader))
        code = kEngineOpenFailed;
    load.Detach();
    if (code != kEngineOk) {
        // The reference of the failed load destroys the image.
        if (load.image)
            ReleaseImageData(load.image);
        load.image = nullptr;
        return 0;
    }
    *image = load.image;
    load.image = nullptr;
    return 1;
}

uint8_t ProbeImageFile(IVorlatTagControl** tags, const char* path)
{
    CEngineLockHold hold;
    if (!tags)
        return 0;
    if (*tags)
        return 1;
    LoadObjects load;
    if (!path || load.Create(path, nullptr, 0, GetImageManager()) != kEngineOk ||
        DropChain(load.loader->BeginLoadImage(load.image)))
        return 0;
    load.Detach();
    *tags = load.tags;
    load.tags = nullptr;
    return 1;
}

uint8_t IsOriginalCameraFile(const char* path, const void* memory, uint32_t size)
{
    CEngineLockHold hold;
    LoadObjects load;
    if (load.Create(path, memory, size, GetImageManager()) != kEngineOk ||
        DropChain(load.loader->BeginLoadImage(load.image)))
        return 0;
    return IsSupportedCameraFile(load.tags);
}

uint8_t IsSupportedCameraFile(const IVorlatTagControl* tags)
{
    return tags && GetCameraModelCode(tags) > 0 ? 1 : 0;
}

int32_t GetCameraModelCode(const IVorlatTagControl* tags)
{
    CEngineLockHold hold;
    char model[256] = {};
    if (!ReadTagBytes(tags, kTagModel, kTagTypeText, sizeof model, model))
        return 0;
    model[sizeof model - 1] = '\0';
    for (int32_t i = 0; i < 3; ++i) {
        if (SameTextIgnoringCase(model, kModels[i]))
            return i + 1;
    }
    return 0;
}

uint8_t GetDevelopedImageSize(const IVorlatDataSource* source, int32_t* width, int32_t* height)
{
    CEngineLockHold hold;
    if (!source || !width || !height)
        return 0;
    int32_t colorSpace = 0, w = 0, h = 0;
    if (DropChain(source->GetColorSpace(&colorSpace)) || DropChain(source->GetSize(&w, &h)))
        return 0;
    if (colorSpace == 64) {
        const bool large = w == 4028;
        w = large ? 3008 : 2000;
        h = large ? 1960 : 1312;
    }
    *width = w;
    *height = h;
    return 1;
}

int32_t GetImageFileKind(const IVorlatTagControl* tags)
{
    CEngineLockHold hold;
    int32_t kind = 0;
    return ReadTagLong(tags, kTagFileKind, &kind) ? kind : 0;
}

int32_t GetColorSetting(const CDevelopParams& params)
{
    int32_t colour = 0;
    if (params.exposureOn && params.exposure && params.exposure->colourMode != 0)
        colour = static_cast<int32_t>(params.exposure->colourMode);
    else if (!ReadTagLong(params.tags, kTagColorSetting, &colour))
        colour = 0;
    return colour == 1 || colour == 2 ? colour : 0;
}

int32_t GetToneSetting(const CDevelopParams& params)
{
    if (params.exposureOn && params.exposure && params.exposure->toneCompensation != 0) {
        switch (params.exposure->toneCompensation) {
        case 2: return 1;
        case 3: return 2;
        case 4: return 16;
        default: return 0;
        }
    }
    int32_t tone = 0;
    return ReadTagLong(params.tags, kTagToneSetting, &tone) ? tone : 0;
}

namespace {

// The base number (1 to 6) of the light the picture was taken in.
int32_t LightBase(const CDevelopParams& params)
{
    int32_t light = 7, step = 0;
    bool flagged = false;
    double red = 1.0, blue = 1.0;
    const CQzWBAdjustment* wb = params.wbOn ? params.wb : nullptr;
    if (wb && wb->mode != 2) {
        red = wb->gain1;
        blue = wb->gain2;
        flagged = wb->mode == 3 && wb->lightSource == 1280;
    } else {
        uint8_t flags[8] = {};
        if (ReadTagBytes(params.tags, kTagShootingFlags, kTagTypeFlags87, sizeof flags, flags))
            flagged = flags[0] != 0;
        if (!ReadTagLong(params.tags, kTagLightSource, &light) || (light & 0xF) == 7)
            light = 7;
        if (ReadTagLong(params.tags, kTagColorTemperatureStep, &step)) {
            if (step > 32000)
                step = static_cast<int16_t>(static_cast<uint16_t>(step));
        } else {
            step = 0;
        }
        double shot[4] = {};
        if (ReadTagBytes(params.tags, kTagShotMultipliers, kTagTypeDoubles, sizeof shot, shot)) {
            red = shot[0];
            blue = shot[1];
        }
    }
    switch (light) {
    case 0: {
        int32_t mode = 0;
        ReadTagLong(params.tags, kTagDaylightMode, &mode);
        if (mode == 1)
            return 2;
        if (mode == 2)
            return 3;
        if (mode == 3)
            return 6;
        return blue < 1.4 ? 4 : 1;
    }
    case 1: return 1;
    case 2:
        if (step >= -3 && step <= -1)
            return 3;
        if (step == 2 || step == 3)
            return 1;
        return 2;
    case 4: return 6;
    case 5: return 5;
    case 7:
        if (flagged)
            return 6;
        if (blue < 1.4)
            return 4;
        return red * blue < 2.7 ? 1 : 2;
    default: return 4;  // 3, 6 and above 7
    }
}

}  // namespace

int32_t GetCameraProfileNumber(const CDevelopParams& params)
{
    int32_t number = LightBase(params);
    const int32_t tone = GetToneSetting(params);
    if (tone == 1)
        number += 6;
    else if (tone == 2)
        number += 12;
    switch (GetColorSetting(params)) {
    case 1: return number;
    case 2: return number + 18;
    default: return 0;
    }
}

bool GetCameraProfilePath(std::string& path, const CDevelopParams& params)
{
    CEngineLockHold hold;
    std::string name;
    switch (GetImageFileKind(params.tags)) {
    case 0: case 1: case 2: case 16: case 17: {
        name = "QZM4_TIFF";
        const int32_t colour = GetColorSetting(params);
        if (colour == 2)
            name += "M2";
        else if (colour == 1)
            name += "M1";
        break;
    }
    case 32: case 33: case 38: {
        name = "QZM4_XQV";
        if (const int32_t number = GetCameraProfileNumber(params))
            name += std::to_string(number);
        break;
    }
    default:
        break;
    }
    path = std::string(GetEngineFolder()) + name + ".icm";
    if (path.size() >= static_cast<size_t>(kEnginePathBytes)) {
        path.clear();
        return false;
    }
    return true;
}

char* GetCameraProfilePath(char* out, const CDevelopParams* params)
{
    if (!out)
        return out;
    out[0] = '\0';
    std::string path;
    if (params && GetCameraProfilePath(path, *params))
        std::memcpy(out, path.c_str(), path.size() + 1);
    return out;
}
