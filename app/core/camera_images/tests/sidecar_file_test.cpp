#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/core/camera_images/sidecar_file.h"
#include "app/core/procset/record_settings.h"
#include "app/core/testing/record_settings_test_util.h"

TEST(SidecarFile, PathReplacesOnlyTheFileNamesExtension)
{
    struct Case {
        const char* image;
        const char* sidecar;
    };
    const Case cases[] = {
        {"D:\\Thumb\\00000012.jpg", "D:\\Thumb\\00000012.ipi"},
        {"D:\\Thumb\\a.b.xqv", "D:\\Thumb\\a.b.ipi"},
        // A dot in a folder name is not the image's extension.
        {"C:\\a.b\\file", "C:\\a.b\\file.ipi"},
        {"C:\\my.shots\\00000001", "C:\\my.shots\\00000001.ipi"},
        {"C:/my.shots/00000001", "C:/my.shots/00000001.ipi"},
        {"C:file.jpg", "C:file.ipi"},
        {"C:.hidden\\x", "C:.hidden\\x.ipi"},
        {"noext", "noext.ipi"},
        {"", ".ipi"},
        {"trailing.", "trailing.ipi"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.sidecar, camimg::SidecarPath(c.image)) << c.image;
}

TEST(SidecarFile, IsTheBlobThenZeroThenTheSavedFlagAndReadsBack)
{
    for (const bool saved : {false, true}) {
        CQzRecordSettings written;
        core_test::EditEverySetting(written);
        written.flip = 1;
        written.rotation = 270;
        written.name = "Harbour at dawn";
        const std::vector<uint8_t> bytes = camimg::EncodeSidecar(written, saved);

        CQzImageProcSet measure;
        written.FillProcSet(measure);
        const int32_t blob = measure.GetSize();
        ASSERT_EQ(static_cast<size_t>(blob) + 2, bytes.size());
        EXPECT_EQ(0, bytes[blob]);
        EXPECT_EQ(saved ? 1 : 0, bytes[blob + 1]);

        CQzRecordSettings read;
        const camimg::SidecarContents contents = camimg::DecodeSidecar(bytes.data(), bytes.size(), read, 300, 200);
        EXPECT_EQ(blob, contents.blobLength);
        EXPECT_EQ(saved, contents.saved);
        EXPECT_EQ(1u, read.curvesOn);
        EXPECT_EQ(1u, read.exposureOn);
        EXPECT_EQ(-150, read.exposure.exposureCompensation);
        EXPECT_EQ(1, read.flip);
        EXPECT_EQ(270, read.rotation);
        EXPECT_STREQ("Harbour at dawn", static_cast<const char*>(read.name));
    }
}

TEST(SidecarFile, ShortOrMissingFileReadsAsNotSavedWithinItsBytes)
{
    CQzRecordSettings written;
    written.usmOn = 1;
    std::vector<uint8_t> bytes = camimg::EncodeSidecar(written, true);
    const size_t blob = bytes.size() - 2;
    struct Case {
        const char* name;
        size_t keep;
        bool wholeBlob;
    };
    const Case cases[] = {
        {"flag byte missing", blob + 1, true},
        {"both trailing bytes missing", blob, true},
        {"blob cut short", blob / 2, false},
        {"empty", 0, false},
    };
    for (const Case& c : cases) {
        // An exactly sized copy, so that a read past its end is caught.
        const std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(c.keep));
        CQzRecordSettings read;
        const camimg::SidecarContents contents = camimg::DecodeSidecar(cut.data(), cut.size(), read, 100, 100);
        EXPECT_FALSE(contents.saved) << c.name;
        // The container reads what the bytes hold, never past them.
        EXPECT_LE(static_cast<size_t>(contents.blobLength), c.keep) << c.name;
        if (c.wholeBlob)
            EXPECT_EQ(blob, static_cast<size_t>(contents.blobLength)) << c.name;
    }

    std::vector<uint8_t> none{1, 2, 3};
    const std::string missing = std::string(TESS_SCRATCH_DIR) + "/no-such-sidecar.ipi";
    EXPECT_FALSE(camimg::ReadSidecarFile(missing.c_str(), &none));
    EXPECT_TRUE(none.empty());
}

TEST(SidecarFile, WritesAndReadsTheFileWhole)
{
    const std::string folder = std::string(TESS_SCRATCH_DIR) + "/camera_sidecar";
    std::filesystem::create_directories(folder);
    const std::string path = folder + "/00000001.ipi";
    CQzRecordSettings settings;
    const std::vector<uint8_t> bytes = camimg::EncodeSidecar(settings, false);
    ASSERT_TRUE(camimg::WriteSidecarFile(path.c_str(), bytes));
    // A second, shorter write truncates.
    const std::vector<uint8_t> shorter(bytes.begin(), bytes.begin() + 4);
    ASSERT_TRUE(camimg::WriteSidecarFile(path.c_str(), shorter));
    std::vector<uint8_t> read;
    ASSERT_TRUE(camimg::ReadSidecarFile(path.c_str(), &read));
    EXPECT_EQ(shorter, read);
}
