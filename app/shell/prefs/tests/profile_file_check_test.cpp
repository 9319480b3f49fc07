#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/engine/profile_check.h"
#include "app/shell/prefs/profile_file_check.h"

namespace {

namespace fs = std::filesystem;

std::string Write(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const fs::path folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / "profile_file_check");
    fs::create_directories(folder);
    const fs::path path = folder / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

TEST(ProfileFileCheck, RefusesWhatDoesNotFitTheRoleOrTheEngineCannotRead)
{
    using shell::ProfileKind;
    const std::vector<uint8_t> monitor = qrvtest::NarrowRgbProfile().Build();
    const std::vector<uint8_t> printer = qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build();
    std::vector<uint8_t> spaceCmyk = printer;
    qrvtest::PutU32(spaceCmyk, 12, qrvtest::Sig("spac"));
    std::vector<uint8_t> cmykSpaceZero = printer;
    qrvtest::PutU32(cmykSpaceZero, 16, 0);
    const std::string text = "Not a profile, whatever its name says.";
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        ProfileKind kind;
        uint32_t message;
    } cases[] = {
        {"RGB display profile as monitor", monitor, ProfileKind::kMonitor, 0},
        {"printer CMYK as CMYK", printer, ProfileKind::kCmyk, 0},
        {"colour-space CMYK as CMYK", spaceCmyk, ProfileKind::kCmyk, 0},
        {"printer CMYK as monitor", printer, ProfileKind::kMonitor, shell::kProfileNotMonitor},
        {"RGB display profile as CMYK", monitor, ProfileKind::kCmyk, shell::kProfileNotCmyk},
        {"text named .icm", std::vector<uint8_t>(text.begin(), text.end()), ProfileKind::kMonitor,
         shell::kProfileNotIcc},
        {"127 bytes", std::vector<uint8_t>(monitor.begin(), monitor.begin() + 127), ProfileKind::kMonitor,
         shell::kProfileNotIcc},
        {"version 4 display profile", qrvtest::ParametricRgbProfile().Build(), ProfileKind::kMonitor,
         kMessageProfileVersion},
        {"display profile with tags cut off", std::vector<uint8_t>(monitor.begin(), monitor.begin() + 200),
         ProfileKind::kMonitor, kMessageProfileUnusable},
    };
    for (const Case& c : cases)
        EXPECT_EQ(shell::CheckProfileFile(Write("chosen.icm", c.bytes).c_str(), c.kind), c.message) << c.what;
    EXPECT_EQ(shell::CheckProfileFile("no such file.icm", ProfileKind::kMonitor), shell::kProfileNotIcc);
}

}  // namespace
