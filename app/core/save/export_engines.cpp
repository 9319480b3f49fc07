#include <cstdio>
#include <vector>

#include "app/core/engine/pool/color_engine_pool.h"
#include "app/core/engine/seams/engine_lock.h"
#include "app/core/save/save_run_impl.h"
#include "fileio/VorlatTagControl.h"

namespace {

constexpr TagId kTagIccProfile = 0x8773;

bool ReadWholeFile(const char* path, std::vector<uint8_t>* bytes)
{
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    const long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize(static_cast<size_t>(size));
        ok = size == 0 || std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
    }
    std::fclose(file);
    return ok;
}

}  // namespace

int32_t SetUpExportEngines(const CDevelopParams* params, int32_t mode)
{
    CEngineLockHold hold;
    int32_t colorSpace = 0;
    if (!params || !params->source || DropChain(params->source->GetColorSpace(&colorSpace)))
        return kEngineNoColorSpace;
    if (colorSpace < 32 || colorSpace > 65)
        return kEngineBadColorSpace;
    CVorlatFilterQRVEngine::Pointer& a = SaveEngineHolder(kEngineA);
    CVorlatFilterQRVEngine::Pointer& b = SaveEngineHolder(kEngineB);

    if (colorSpace == 32) {
        if (mode < 0 || mode > 2)
            return kEngineOk;
        if (mode != kOutput8BitCmyk)
            b.Set(nullptr);
        const int32_t code = CreateColorEngine(a, params, 0, 8) ? kEngineOk : kEngineNoColorEngine;
        if (mode == kOutput8BitCmyk && !CreateColorEngineByIndex(b, 0, 8, 1, 8))
            return kEngineNoColorEngine;
        return code;
    }
    if (colorSpace != 33 && colorSpace != 64 && colorSpace != 65)
        return kEngineBadColorSpace;

    // A missing camera engine is reported, but B is still made.
    int32_t code = CreateColorEngine(a, params, 0, 16) ? kEngineOk : kEngineNoColorEngine;
    bool madeB = true;
    switch (mode) {
    case kOutput8BitWorking: madeB = CreateColorEngineByIndex(b, 0, 16, 0, 8) != 0; break;
    case kOutputSourceDepth: b.Set(nullptr); break;
    case kOutput8BitCmyk: madeB = CreateColorEngineByIndex(b, 0, 16, 1, 8) != 0; break;
    default: break;
    }
    return madeB ? code : kEngineNoColorEngine;
}

int32_t EmbedOutputProfile(IVorlatTagControl* tags, CVorlatFilterQRVEngine::Pointer& engine)
{
    CEngineLockHold hold;
    if (!tags || !engine.Get())
        return 0;
    _VorlatFile input{}, output{}, proof{};
    if (DropChain(engine->GetProfiles(&input, &output, &proof)) || !proof.path[0])
        return 0;
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(proof.path, &bytes) || bytes.empty())
        return 0;
    if (!tags->IsExist(kTagIccProfile, 0) && DropChain(tags->AddTag(kTagIccProfile)))
        return 0;
    if (DropChain(tags->SetTagValue(kTagIccProfile, kTagTypeBytes, static_cast<uint32_t>(bytes.size()),
                                    bytes.data(), 0)))
        return 0;
    return 1;
}
