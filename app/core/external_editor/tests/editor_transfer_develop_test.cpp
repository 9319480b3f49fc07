// The transfer file developed by the engine, read back through the file library.
#include "app/core/external_editor/editor_transfer_develop.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/core/save/tests/save_test_util.h"

namespace {

using save_test::ReadBack;
using save_test::Reread;

class EditorTransferDevelop : public save_test::SaveFixture {};

#ifndef _WIN32
// What a peer tool prints; empty when it cannot run.
std::string Output(const std::string& command)
{
    std::string text;
    if (FILE* pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        ::pclose(pipe);
    }
    return text;
}
#endif

TEST_F(EditorTransferDevelop, WritesAnEightBitTiffOfTheDevelopedImage)
{
    CDevelopParams params;
    OpenSource(params, "source.tif", 32, 60, 40);
    const std::string path = At("PSXfer.tif");
    ASSERT_EQ(0, qz::DevelopEditorTransferFile(params, "ISO 200, 1/125 s", path.c_str()));
    const Reread back = ReadBack(manager, path);
    ASSERT_EQ(0, back.error);
    EXPECT_EQ(back.format & kFormatTiff, kFormatTiff);
    EXPECT_EQ(back.format & kFormatRawTiff, 0) << "a developed file, never a raw one";
    EXPECT_EQ(60, back.width);
    EXPECT_EQ(40, back.height);
    EXPECT_EQ(32, back.colorSpace) << "8 bits per channel RGB";
    EXPECT_EQ(params.caption, nullptr) << "the caller's block is left as it was";
#ifndef _WIN32
    // The shooting text is the file's caption for the editor to show.
    if (!Output("command -v exiftool").empty()) {
        const std::string exif = Output("exiftool -s -Caption-Abstract '" + path + "'");
        EXPECT_NE(exif.find("ISO 200, 1/125 s"), std::string::npos) << exif;
    }
#endif
}

TEST_F(EditorTransferDevelop, AFailedDevelopReportsTheEnginesCode)
{
    CDevelopParams empty;
    const std::string path = At("PSXfer.tif");
    EXPECT_LT(qz::DevelopEditorTransferFile(empty, nullptr, path.c_str()), 0);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
