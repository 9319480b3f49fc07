#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/core/procset/palette_settings_file.h"
#include "app/core/procset/record_settings.h"
#include "app/core/testing/blob_test_util.h"

using namespace core_test;

namespace {

const std::string kContainer = "40a9867a1be9d211a90a00aa00b1c1b7";
const std::string kCurvesOn = "0132a476a217d411a90a00aa00b1c1b7";
const std::string kWhiteBalanceOn = "0432a476a217d411a90a00aa00b1c1b7";
const std::string kNoiseReduction = "e0136f9219acd411bff7000103208145";

std::string Scratch(const std::string& name)
{
    const std::string folder = std::string(TESS_SCRATCH_DIR) + "/palette_settings_file";
    std::filesystem::create_directories(folder);
    return folder + "/" + name;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::remove(path.c_str());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A one-byte on/off record: id, version 1, counted size 5, the value.
std::string OnOff(const std::string& id, int value)
{
    return id + "0100" + "05000000" + (value ? "01" : "00");
}

std::vector<uint8_t> Container(const std::string& recordsHex)
{
    std::vector<uint8_t> blob = FromHex(kContainer + "0200" + "00000000" + recordsHex);
    PutU32(blob, 18, static_cast<uint32_t>(blob.size() - 18));
    return blob;
}

TEST(PaletteSettingsFile, KindsCarryTheirExtensionsStringsAndBits)
{
    struct Case {
        SettingsFileKind kind;
        const char* extension;
        uint32_t load, save, notValid, missing, bit;
        int32_t group;
    } cases[] = {
        {SettingsFileKind::Curves, ".qcv", 16449, 16450, 9223, 9230, 2, 1},
        {SettingsFileKind::ColourBalance, ".qca", 16453, 16454, 9265, 9267, 4, 2},
        {SettingsFileKind::Usm, ".qum", 16455, 16456, 9251, 0, 1, 0},
        {SettingsFileKind::SizeRes, ".qsr", 16457, 16458, 9298, 0, 32, 0},
        {SettingsFileKind::Exposure, ".qar", 16460, 16461, 10210, 0, 64, 0},
        {SettingsFileKind::WhiteBalance, ".qwb", 16462, 16463, 10228, 0, 128, 0},
        {SettingsFileKind::NoiseReduction, ".qnr", 16464, 16465, 10193, 0, 0, 0},
        {SettingsFileKind::ImageAdjustment, ".set", 16466, 16467, 10260, 0, 0xE7, 0},
    };
    for (const Case& c : cases) {
        const SettingsFileKindInfo& info = SettingsFileInfo(c.kind);
        EXPECT_STREQ(info.extension, c.extension);
        EXPECT_EQ(info.loadFilter, c.load);
        EXPECT_EQ(info.saveFilter, c.save);
        EXPECT_EQ(info.notValid, c.notValid);
        EXPECT_EQ(info.componentMissing, c.missing);
        EXPECT_EQ(info.componentBit, c.bit);
        EXPECT_EQ(info.groupKind, c.group);
    }
}

TEST(PaletteSettingsFile, NoiseReductionFileIsTheBareBlobByteForByte)
{
    // id, version 1, counted size, line level 2, colour level 3.
    const std::vector<uint8_t> fixture = FromHex(kNoiseReduction + "0100" + "08000000" + "0200" + "0300");
    const std::string path = Scratch("levels.qnr");
    CQzNoiseReduction levels;
    levels.lineNoiseReduction = 2;
    levels.colourNoiseReduction = 3;
    EXPECT_EQ(WriteSettingsFile(path.c_str(), levels).id, 0u);
    EXPECT_EQ(Hex(ReadFile(path)), Hex(fixture));

    WriteFile(path, fixture);
    CQzNoiseReduction read;
    const SettingsFileRead result = ReadSettingsFile(path.c_str(), read);
    EXPECT_EQ(result.result, kSettingsFileOk);
    EXPECT_FALSE(result.flagStored);
    EXPECT_EQ(read.lineNoiseReduction, 2u);
    EXPECT_EQ(read.colourNoiseReduction, 3u);
}

TEST(PaletteSettingsFile, ComponentFilesAreOneContainerWithTheComponentAndItsFlag)
{
    const std::string path = Scratch("balance.qwb");
    CQzRecordSettings record;
    const CQzWBAdjustment& whiteBalance = record.whiteBalance;
    ASSERT_EQ(WriteSettingsFile(path.c_str(), whiteBalance, true).id, 0u);
    // Built by hand: the container header, the white balance on record, then
    // the object's own blob.
    const std::vector<uint8_t> fixture = Container(OnOff(kWhiteBalanceOn, 1) + Hex(Blob(whiteBalance)));
    EXPECT_EQ(Hex(ReadFile(path)), Hex(fixture));

    CQzWBAdjustment read;
    const SettingsFileRead result = ReadSettingsFile(path.c_str(), read);
    EXPECT_EQ(result.result, kSettingsFileOk);
    EXPECT_TRUE(result.flagStored);
    EXPECT_EQ(result.flag, 1);
    EXPECT_EQ(Hex(Blob(read)), Hex(Blob(whiteBalance)));
}

TEST(PaletteSettingsFile, EveryKindRoundTripsThroughItsOwnFile)
{
    CQzRecordSettings record;
    record.usm.Insert(0, 1, CQzUSM());
    const std::string base = Scratch("round");

    ASSERT_EQ(WriteSettingsFile(SettingsFileKind::Curves, (base + ".qcv").c_str(), record.curves, true).id, 0u);
    CQzLutGroup curves;
    EXPECT_EQ(ReadSettingsFile(SettingsFileKind::Curves, (base + ".qcv").c_str(), curves).result, 0);
    EXPECT_EQ(curves.GetChannelCount(), record.curves.GetChannelCount());

    ASSERT_EQ(WriteSettingsFile(SettingsFileKind::ColourBalance, (base + ".qca").c_str(), record.colourBalance, false)
                  .id,
              0u);
    CQzLutGroup balance;
    const SettingsFileRead balanceRead =
        ReadSettingsFile(SettingsFileKind::ColourBalance, (base + ".qca").c_str(), balance);
    EXPECT_EQ(balanceRead.result, 0);
    EXPECT_TRUE(balanceRead.flagStored);
    EXPECT_EQ(balanceRead.flag, 0);

    ASSERT_EQ(WriteSettingsFile((base + ".qum").c_str(), record.usm, true).id, 0u);
    CQzUSMList usm;
    EXPECT_EQ(ReadSettingsFile((base + ".qum").c_str(), usm).result, 0);
    EXPECT_EQ(Hex(Blob(usm)), Hex(Blob(record.usm)));

    ASSERT_EQ(WriteSettingsFile((base + ".qar").c_str(), record.exposure, true).id, 0u);
    CQzExposureAdjustment exposure;
    EXPECT_EQ(ReadSettingsFile((base + ".qar").c_str(), exposure).result, 0);
    EXPECT_EQ(Hex(Blob(exposure)), Hex(Blob(record.exposure)));

    ASSERT_EQ(WriteSettingsFile((base + ".qsr").c_str(), record.sizeRes).id, 0u);
    CQzSizeRes sizeRes;
    const SettingsFileRead sizeRead = ReadSettingsFile((base + ".qsr").c_str(), sizeRes, 300, 200);
    EXPECT_EQ(sizeRead.result, 0);
    EXPECT_FALSE(sizeRead.flagStored);

    // Each file is the container the ".set" reader takes as well.
    const std::vector<uint8_t> bytes = ReadFile(base + ".qar");
    EXPECT_EQ(Hex(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 16)), kContainer);
}

TEST(PaletteSettingsFile, RefusesWhatIsNotItsOwnFileAndLeavesTheTargetAlone)
{
    CQzRecordSettings record;
    const std::string balanceFile = Scratch("refused.qca");
    ASSERT_EQ(WriteSettingsFile(SettingsFileKind::ColourBalance, balanceFile.c_str(), record.colourBalance, true).id,
              0u);
    CQzRecordSettings noCurves;
    const std::string setWithoutCurves = Scratch("nocurves.set");
    {
        CQzImageProcSet set;
        noCurves.FillProcSet(set);
        set.componentMask = kProcUsm;
        set.enableMask = kProcUsm;
        std::vector<uint8_t> blob(static_cast<size_t>(set.GetSize()));
        set.GetData(blob.data(), static_cast<int32_t>(blob.size()));
        WriteFile(setWithoutCurves, blob);
    }
    const std::vector<uint8_t> good = ReadFile(balanceFile);
    const std::string truncatedFile = Scratch("truncated.qca");
    WriteFile(truncatedFile, std::vector<uint8_t>(good.begin(), good.end() - 7));
    std::vector<uint8_t> huge(kSettingsFileMaxSize + 1, 0);
    std::copy(good.begin(), good.end(), huge.begin());
    const std::string hugeFile = Scratch("huge.qca");
    WriteFile(hugeFile, huge);

    struct Case {
        const char* name;
        std::string path;
        std::vector<uint8_t> bytes;  // written first unless empty and path given
        SettingsFileKind kind;
        int32_t result;
        uint32_t message;
    } cases[] = {
        {"missing file", Scratch("absent.qcv"), {}, SettingsFileKind::Curves, -239, 16496},
        {"colour balance into curves", balanceFile, {}, SettingsFileKind::Curves, -234, 9223},
        {"set without curves", setWithoutCurves, {}, SettingsFileKind::Curves, -234, 9230},
        {"empty", Scratch("0.qcv"), std::vector<uint8_t>{}, SettingsFileKind::Curves, -234, 9223},
        {"15 bytes", Scratch("15.qca"), std::vector<uint8_t>(good.begin(), good.begin() + 15),
         SettingsFileKind::ColourBalance, -234, 9265},
        {"17 bytes", Scratch("17.qca"), std::vector<uint8_t>(good.begin(), good.begin() + 17),
         SettingsFileKind::ColourBalance, -234, 9265},
        {"truncated", truncatedFile, {}, SettingsFileKind::ColourBalance, -234, 9267},
        {"above the cap", hugeFile, {}, SettingsFileKind::ColourBalance, -234, 9265},
    };
    std::remove(Scratch("absent.qcv").c_str());
    WriteFile(Scratch("0.qcv"), {});
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (!c.bytes.empty())
            WriteFile(c.path, c.bytes);
        CQzLutGroup target;
        target.SetKind(SettingsFileInfo(c.kind).groupKind);
        target.SetContrast(0.75);
        const std::vector<uint8_t> before = Blob(target);
        const SettingsFileRead read = ReadSettingsFile(c.kind, c.path.c_str(), target);
        EXPECT_EQ(read.result, c.result);
        EXPECT_EQ(read.message.id, c.message);
        EXPECT_EQ(read.message.path, c.message == 16496 ? c.path : std::string());
        EXPECT_EQ(Hex(Blob(target)), Hex(before));
    }
}

TEST(PaletteSettingsFile, ImageAdjustmentFileCarriesEveryComponentAndFlag)
{
    CQzRecordSettings source;
    source.curvesOn = 1;
    source.usmOn = 1;
    source.whiteBalanceOn = 0;
    const std::string path = Scratch("all.set");
    ASSERT_EQ(WriteImageAdjustmentFile(path.c_str(), source).id, 0u);
    EXPECT_EQ(Hex(ReadFile(path)), Hex(ImageAdjustmentBlob(source)));

    CQzRecordSettings record;
    record.whiteBalanceOn = 1;
    ASSERT_TRUE(LoadImageAdjustmentFile(path.c_str(), record, 300, 200));
    EXPECT_EQ(record.curvesOn, 1u);
    EXPECT_EQ(record.usmOn, 1u);
    EXPECT_EQ(record.whiteBalanceOn, 0u);

    // A ".set" file is read by the component readers through the container.
    CQzLutGroup curves;
    const SettingsFileRead read = ReadSettingsFile(SettingsFileKind::Curves, path.c_str(), curves);
    EXPECT_EQ(read.result, 0);
    EXPECT_TRUE(read.flagStored);
    EXPECT_EQ(read.flag, 1);
}

TEST(PaletteSettingsFile, RefusedImageAdjustmentFileLeavesTheRecordUnchanged)
{
    CQzRecordSettings record;
    record.curvesOn = 1;
    record.usmOn = 1;
    record.exposureOn = 1;
    const std::vector<uint8_t> before = ImageAdjustmentBlob(record);
    const std::vector<uint8_t> full = ImageAdjustmentBlob(record);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int32_t result;
        uint32_t message;
    } cases[] = {
        {"empty", {}, -234, 10260},
        {"17 bytes", std::vector<uint8_t>(full.begin(), full.begin() + 17), -234, 10260},
        {"not a container", FromHex(kNoiseReduction + "0100" + "08000000" + "0200" + "0300"), -234, 10260},
    };
    const std::string path = Scratch("bad.set");
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFile(path, c.bytes);
        EXPECT_FALSE(LoadImageAdjustmentFile(path.c_str(), record, 300, 200));
        EXPECT_EQ(Hex(ImageAdjustmentBlob(record)), Hex(before));
        CQzImageProcSet set;
        CQzRecordSettings temp;
        temp.FillProcSet(set);
        const int32_t result = ReadImageAdjustmentFile(path.c_str(), set, 300, 200);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ImageAdjustmentReadMessage(result, path.c_str()).id, c.message);
    }
    std::remove(path.c_str());
    CQzImageProcSet set;
    EXPECT_EQ(ReadImageAdjustmentFile(path.c_str(), set, 0, 0), -239);
    const SettingsFileMessage missing = ImageAdjustmentReadMessage(-239, path.c_str());
    EXPECT_EQ(missing.id, 16496u);
    EXPECT_EQ(missing.path, path);
}

TEST(PaletteSettingsFile, FailedWriteKeepsTheOldFileAndLeavesNoPartialFile)
{
    const std::string folder = Scratch("locked");
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/kept.qnr";
    CQzNoiseReduction levels;
    levels.lineNoiseReduction = 3;
    ASSERT_EQ(WriteSettingsFile(path.c_str(), levels).id, 0u);
    const std::vector<uint8_t> kept = ReadFile(path);

    // A read-only file is refused before anything is written.
    std::filesystem::permissions(path, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                           std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    levels.lineNoiseReduction = 2;
    EXPECT_EQ(WriteSettingsFile(path.c_str(), levels).id, kMsgCannotCreateFile);
    EXPECT_EQ(ReadFile(path), kept);
    std::filesystem::permissions(path, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);

    EXPECT_EQ(WriteSettingsBlob((folder + "/no such folder/x.qnr").c_str(), kept).id, kMsgCannotCreateFile);
    int temps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        temps += entry.path().filename().string() != "kept.qnr";
    EXPECT_EQ(temps, 0);
}

}  // namespace
