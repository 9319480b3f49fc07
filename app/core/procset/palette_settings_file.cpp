#include "app/core/procset/palette_settings_file.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#include "app/core/curves/lut_group.h"
#include "app/core/heuristics/size_res.h"
#include "app/core/procset/record_settings.h"
#include "app/core/settings/exposure_adjustment.h"
#include "app/core/settings/noise_reduction.h"
#include "app/core/settings/usm.h"
#include "app/core/settings/wb_adjustment.h"
#include "port/port.h"

namespace {

constexpr SettingsFileKindInfo kKinds[] = {
    {".qcv", 16449, 16450, 9223, 9230, kProcCurves, 1},
    {".qca", 16453, 16454, 9265, 9267, kProcColourBalance, 2},
    {".qum", 16455, 16456, 9251, 0, kProcUsm, 0},
    {".qsr", 16457, 16458, 9298, 0, kProcSizeRes, 0},
    {".qar", 16460, 16461, 10210, 0, kProcExposure, 0},
    {".qwb", 16462, 16463, 10228, 0, kProcWhiteBalance, 0},
    {".qnr", 16464, 16465, 10193, 0, 0, 0},
    {".set", 16466, 16467, 10260, 0, kImageAdjustmentComponents, 0},
};

constexpr uint32_t kMsgImageAdjustmentNotValid = 10260;

// The blob as GetSize measures and GetData fills it.
std::vector<uint8_t> BlobOf(const IQzState& state)
{
    const int32_t size = state.GetSize();
    std::vector<uint8_t> blob(size > 0 ? static_cast<size_t>(size) : 0);
    if (!blob.empty())
        state.GetData(blob.data(), size);
    return blob;
}

SettingsFileRead Failed(int32_t result, uint32_t message, const char* path)
{
    SettingsFileRead read;
    read.result = result;
    read.message.id = message;
    if (message == kMsgCannotOpenFile)
        read.message.path = path;
    return read;
}

// Points the container at the one component of the kind.
void Point(CQzImageProcSet& set, SettingsFileKind kind, IQzState& object)
{
    switch (kind) {
    case SettingsFileKind::Curves: set.curves = static_cast<CQzLutGroup*>(&object); break;
    case SettingsFileKind::ColourBalance: set.colourBalance = static_cast<CQzLutGroup*>(&object); break;
    case SettingsFileKind::Usm: set.usm = static_cast<CQzUSMList*>(&object); break;
    case SettingsFileKind::SizeRes: set.sizeRes = static_cast<CQzSizeRes*>(&object); break;
    case SettingsFileKind::Exposure: set.exposure = static_cast<CQzExposureAdjustment*>(&object); break;
    case SettingsFileKind::WhiteBalance: set.whiteBalance = static_cast<CQzWBAdjustment*>(&object); break;
    default: break;
    }
}

uint8_t StoredFlag(const CQzImageProcSet& set, SettingsFileKind kind)
{
    switch (kind) {
    case SettingsFileKind::Curves: return set.curvesOn;
    case SettingsFileKind::ColourBalance: return set.colourBalanceOn;
    case SettingsFileKind::Usm: return set.usmOn;
    case SettingsFileKind::Exposure: return set.exposureOn;
    case SettingsFileKind::WhiteBalance: return set.whiteBalanceOn;
    default: return 0;
    }
}

void SetFlag(CQzImageProcSet& set, SettingsFileKind kind, bool flag)
{
    const uint8_t value = flag ? 1 : 0;
    switch (kind) {
    case SettingsFileKind::Curves: set.curvesOn = value; break;
    case SettingsFileKind::ColourBalance: set.colourBalanceOn = value; break;
    case SettingsFileKind::Usm: set.usmOn = value; break;
    case SettingsFileKind::Exposure: set.exposureOn = value; break;
    case SettingsFileKind::WhiteBalance: set.whiteBalanceOn = value; break;
    default: break;
    }
}

// Steps shared by every kind but noise reduction: the object's own blob, else
// the container's record of the component, into `temp`.
template <class Object, class OwnRead>
SettingsFileRead ReadComponent(SettingsFileKind kind, const char* path, Object& temp, OwnRead ownRead, int32_t width,
                               int32_t height)
{
    const SettingsFileKindInfo& info = SettingsFileInfo(kind);
    std::vector<uint8_t> bytes;
    const int32_t result = ReadSettingsFileBytes(path, bytes);
    if (result == kSettingsFileOpenFailed)
        return Failed(result, kMsgCannotOpenFile, path);
    if (result != kSettingsFileOk)
        return Failed(result, info.notValid, path);

    const int32_t length = static_cast<int32_t>(bytes.size());
    SettingsFileRead read;
    if (ownRead(temp, bytes.data(), length) <= 0) {
        CQzImageProcSet set;
        set.componentMask = info.componentBit;
        set.enableMask = info.componentBit;
        Point(set, kind, temp);
        const bool containerRead = set.SetDataMasked(bytes.data(), length, width, height) > 0;
        bool present = (set.componentsDone & info.componentBit) != 0;
        if (containerRead && !present && info.groupKind != 0) {
            // The container tells the two curve groups apart by their kind: a
            // file of the other group is the wrong kind of file, not one
            // without the component.
            const SettingsFileKind other =
                kind == SettingsFileKind::Curves ? SettingsFileKind::ColourBalance : SettingsFileKind::Curves;
            const uint32_t otherBit = SettingsFileInfo(other).componentBit;
            CQzImageProcSet otherSet;
            otherSet.componentMask = otherBit;
            otherSet.enableMask = otherBit;
            Point(otherSet, other, temp);
            if (otherSet.SetDataMasked(bytes.data(), length, width, height) > 0 && (otherSet.componentsDone & otherBit))
                return Failed(kSettingsFileInvalid, info.notValid, path);
        }
        if (info.groupKind != 0 && containerRead && !present)
            return Failed(kSettingsFileInvalid, info.componentMissing, path);
        if (!containerRead || !present)
            return Failed(kSettingsFileInvalid, info.notValid, path);
        if (set.enablesDone & info.componentBit) {
            read.flagStored = true;
            read.flag = StoredFlag(set, kind);
        }
    }
    return read;
}

SettingsFileMessage WriteContainer(SettingsFileKind kind, const char* path, IQzState& object, bool flag)
{
    const uint32_t bit = SettingsFileInfo(kind).componentBit;
    CQzImageProcSet set;
    set.componentMask = bit;
    set.enableMask = bit;  // size and resolution has no on/off record
    Point(set, kind, object);
    SetFlag(set, kind, flag);
    return WriteSettingsBlob(path, BlobOf(set));
}

}  // namespace

const SettingsFileKindInfo& SettingsFileInfo(SettingsFileKind kind)
{
    return kKinds[static_cast<int>(kind)];
}

int32_t ReadSettingsFileBytes(const char* path, std::vector<uint8_t>& bytes)
{
    bytes.clear();
    std::FILE* file = std::fopen(path, "rb");
    if (!file)
        return kSettingsFileOpenFailed;
    // The size from the file itself; a file that changes under the read is a
    // short read and refused.
    long size = -1;
    if (std::fseek(file, 0, SEEK_END) == 0)
        size = std::ftell(file);
    const bool fits = size >= static_cast<long>(kSettingsFileMinSize) && size <= static_cast<long>(kSettingsFileMaxSize);
    if (fits && std::fseek(file, 0, SEEK_SET) == 0) {
        bytes.resize(static_cast<size_t>(size));
        if (std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size())
            bytes.clear();
    }
    std::fclose(file);
    return bytes.empty() ? kSettingsFileInvalid : kSettingsFileOk;
}

void SetFixedChannelColours(CQzLutGroup& group)
{
    static constexpr LutColour kLight[] = {{255, 255, 255}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int32_t index = 0; index < 4; ++index) {
        auto* channel = dynamic_cast<CQzLutChannel*>(group.GetChannel(index));
        if (channel)
            channel->SetColours(channel->GetCurveColour(), {0, 0, 0}, kLight[index]);
    }
}

SettingsFileRead ReadSettingsFile(SettingsFileKind kind, const char* path, CQzLutGroup& target)
{
    CQzLutGroup temp;
    SettingsFileRead read = ReadComponent(
        kind, path, temp, [](CQzLutGroup& g, const uint8_t* b, int32_t n) { return g.SetData(b, n); }, 0, 0);
    if (read.result != kSettingsFileOk)
        return read;
    // A Color Balance group is no Curves group, and the other way round.
    if (temp.GetKind() != SettingsFileInfo(kind).groupKind)
        return Failed(kSettingsFileInvalid, SettingsFileInfo(kind).notValid, path);
    const int32_t kindKept = target.GetKind();
    target = temp;
    target.SetKind(kindKept);
    if (kind == SettingsFileKind::Curves)
        SetFixedChannelColours(target);
    return read;
}

SettingsFileRead ReadSettingsFile(const char* path, CQzUSMList& target)
{
    CQzUSMList temp;
    SettingsFileRead read = ReadComponent(
        SettingsFileKind::Usm, path, temp, [](CQzUSMList& o, const uint8_t* b, int32_t n) { return o.SetData(b, n); },
        0, 0);
    if (read.result == kSettingsFileOk)
        target = temp;
    return read;
}

SettingsFileRead ReadSettingsFile(const char* path, CQzSizeRes& target, int32_t width, int32_t height)
{
    CQzSizeRes temp;
    SettingsFileRead read = ReadComponent(
        SettingsFileKind::SizeRes, path, temp,
        [width, height](CQzSizeRes& o, const uint8_t* b, int32_t n) { return o.SetDataForImage(b, n, width, height); },
        width, height);
    if (read.result == kSettingsFileOk)
        target = temp;
    read.flagStored = false;
    return read;
}

SettingsFileRead ReadSettingsFile(const char* path, CQzExposureAdjustment& target)
{
    CQzExposureAdjustment temp;
    SettingsFileRead read = ReadComponent(
        SettingsFileKind::Exposure, path, temp,
        [](CQzExposureAdjustment& o, const uint8_t* b, int32_t n) { return o.SetData(b, n); }, 0, 0);
    if (read.result == kSettingsFileOk)
        target = temp;
    return read;
}

SettingsFileRead ReadSettingsFile(const char* path, CQzWBAdjustment& target)
{
    CQzWBAdjustment temp;
    SettingsFileRead read = ReadComponent(
        SettingsFileKind::WhiteBalance, path, temp,
        [](CQzWBAdjustment& o, const uint8_t* b, int32_t n) { return o.SetData(b, n); }, 0, 0);
    if (read.result == kSettingsFileOk)
        target = temp;
    return read;
}

SettingsFileRead ReadSettingsFile(const char* path, CQzNoiseReduction& target)
{
    const uint32_t notValid = SettingsFileInfo(SettingsFileKind::NoiseReduction).notValid;
    std::vector<uint8_t> bytes;
    const int32_t result = ReadSettingsFileBytes(path, bytes);
    if (result == kSettingsFileOpenFailed)
        return Failed(result, kMsgCannotOpenFile, path);
    if (result != kSettingsFileOk)
        return Failed(result, notValid, path);
    // The object reads straight from the file: it must not keep half of a refused blob.
    CQzNoiseReduction temp = target;
    if (temp.SetData(bytes.data(), static_cast<int32_t>(bytes.size())) <= 0)
        return Failed(kSettingsFileInvalid, notValid, path);
    target = temp;
    return {};
}

SettingsFileMessage WriteSettingsBlob(const char* path, const std::vector<uint8_t>& blob)
{
    SettingsFileMessage message;
    port::ReplacingFile file;
    errno = 0;
    if (!file.Open(path)) {
        message.id = errno == ENOSPC ? kMsgDiskFull : kMsgCannotCreateFile;
        return message;
    }
    errno = 0;
    bool written = std::fwrite(blob.data(), 1, blob.size(), file.File()) == blob.size();
    written = std::fflush(file.File()) == 0 && written;
    int error = errno;
    if (!written) {
        file.Abandon();
        message.id = error == ENOSPC ? kMsgDiskFull : kMsgCannotCreateFile;
        return message;
    }
    errno = 0;
    if (!file.Commit()) {
        error = errno;
        message.id = error == ENOSPC ? kMsgDiskFull : kMsgCannotCreateFile;
    }
    return message;
}

SettingsFileMessage WriteSettingsFile(SettingsFileKind kind, const char* path, CQzLutGroup& group, bool flag)
{
    group.SetKind(SettingsFileInfo(kind).groupKind);
    return WriteContainer(kind, path, group, flag);
}

SettingsFileMessage WriteSettingsFile(const char* path, const CQzUSMList& usm, bool flag)
{
    return WriteContainer(SettingsFileKind::Usm, path, const_cast<CQzUSMList&>(usm), flag);
}

SettingsFileMessage WriteSettingsFile(const char* path, const CQzSizeRes& sizeRes)
{
    return WriteContainer(SettingsFileKind::SizeRes, path, const_cast<CQzSizeRes&>(sizeRes), false);
}

SettingsFileMessage WriteSettingsFile(const char* path, const CQzExposureAdjustment& exposure, bool flag)
{
    return WriteContainer(SettingsFileKind::Exposure, path, const_cast<CQzExposureAdjustment&>(exposure), flag);
}

SettingsFileMessage WriteSettingsFile(const char* path, const CQzWBAdjustment& whiteBalance, bool flag)
{
    return WriteContainer(SettingsFileKind::WhiteBalance, path, const_cast<CQzWBAdjustment&>(whiteBalance), flag);
}

SettingsFileMessage WriteSettingsFile(const char* path, const CQzNoiseReduction& noiseReduction)
{
    return WriteSettingsBlob(path, BlobOf(noiseReduction));
}

std::vector<uint8_t> ImageAdjustmentBlob(CQzRecordSettings& settings)
{
    CQzImageProcSet set;
    settings.FillProcSet(set);
    set.componentMask = kImageAdjustmentComponents;
    set.enableMask = kImageAdjustmentEnables;
    return BlobOf(set);
}

SettingsFileMessage WriteImageAdjustmentFile(const char* path, CQzRecordSettings& settings)
{
    return WriteSettingsBlob(path, ImageAdjustmentBlob(settings));
}

std::vector<uint8_t> NeutralImageAdjustmentBlob()
{
    CQzRecordSettings neutral;
    return ImageAdjustmentBlob(neutral);
}

int32_t ReadImageAdjustmentFile(const char* path, CQzImageProcSet& set, int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes;
    const int32_t result = ReadSettingsFileBytes(path, bytes);
    if (result != kSettingsFileOk)
        return result;
    const int32_t covered = set.SetDataMasked(bytes.data(), static_cast<int32_t>(bytes.size()), width, height);
    if (covered < 0)
        return covered;
    return covered == 0 ? kSettingsFileInvalid : kSettingsFileOk;
}

bool LoadImageAdjustmentFile(const char* path, CQzRecordSettings& record, int32_t width, int32_t height)
{
    std::vector<uint8_t> bytes;
    if (ReadSettingsFileBytes(path, bytes) != kSettingsFileOk)
        return false;
    const int32_t length = static_cast<int32_t>(bytes.size());
    // A trial read first: a container refused halfway through must not leave
    // the record with some adjustments of the file and some of its own.
    auto trial = std::make_unique<CQzRecordSettings>();
    CQzImageProcSet probe;
    trial->FillProcSet(probe);
    probe.componentMask = kImageAdjustmentComponents;
    probe.enableMask = kImageAdjustmentEnables;
    if (probe.SetDataMasked(bytes.data(), length, width, height) <= 0)
        return false;
    CQzImageProcSet set;
    record.FillProcSet(set);
    set.componentMask = kImageAdjustmentComponents;
    set.enableMask = kImageAdjustmentEnables;
    if (set.SetDataMasked(bytes.data(), length, width, height) <= 0)
        return false;
    record.TakeFromProcSet(set);
    return true;
}

SettingsFileMessage ImageAdjustmentReadMessage(int32_t result, const char* path)
{
    SettingsFileMessage message;
    if (result == kSettingsFileOpenFailed) {
        message.id = kMsgCannotOpenFile;
        message.path = path;
    } else if (result == kSettingsFileInvalid || result == kSettingsFileContainerError) {
        message.id = kMsgImageAdjustmentNotValid;
    }
    return message;
}
