#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "QRV/tests/icc_builder.h"
#include "app/core/engine/develop_engine.h"
#include "app/core/engine/profile_check.h"
#include "app/core/text/string_resource.h"

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> WithSpace(std::vector<uint8_t> profile, uint32_t space)
{
    qrvtest::PutU32(profile, 16, space);
    return profile;
}

fs::path Scratch()
{
    const fs::path folder = fs::absolute(fs::path(TESS_SCRATCH_DIR) / "profile_check");
    fs::create_directories(folder);
    return folder;
}

std::string WriteProfile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const fs::path path = Scratch() / name;
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    return path.string();
}

TEST(ProfileCheck, TellsWhyTheEngineCannotUseAProfile)
{
    struct Case {
        const char* what;
        std::vector<uint8_t> profile;
        ProfileFault fault;
        int32_t version;
        uint32_t message;
    } cases[] = {
        {"version 2 matrix profile", qrvtest::NarrowRgbProfile().Build(), ProfileFault::kNone, 2, 0},
        {"version 2 CMYK tables", qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build(),
         ProfileFault::kNone, 2, 0},
        {"lightness-chroma-hue", qrvtest::LabIdentityProfile("Lch ").Build(), ProfileFault::kNone, 2, 0},
        {"version 4 with parametric curves", qrvtest::ParametricRgbProfile(0x04300000).Build(), ProfileFault::kVersion, 4,
         kMessageProfileVersion},
        {"version 4 whose tags a version 2 reader takes", qrvtest::NarrowRgbProfile().Version(0x04200000).Build(),
         ProfileFault::kNone, 4, 0},
        {"version 2 with parametric curves", qrvtest::ParametricRgbProfile(0x02100000).Build(), ProfileFault::kUnusable, 2,
         kMessageProfileUnusable},
        {"CMYK tables under colour space 0",
         WithSpace(qrvtest::LutProfile("CMYK", "Lab ", 4, 3, "A2B0", "B2A0").Build(), 0), ProfileFault::kUnusable, 2,
         kMessageProfileUnusable},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'r', 'o', 'f', 'i', 'l', 'e'}, ProfileFault::kUnusable, 0,
         kMessageProfileUnusable},
        {"empty", {}, ProfileFault::kUnusable, 0, kMessageProfileUnusable},
    };
    for (const Case& c : cases) {
        const ProfileCheck check = CheckProfileFile(WriteProfile("case.icm", c.profile).c_str());
        EXPECT_EQ(check.fault, c.fault) << c.what;
        EXPECT_EQ(check.version, c.version) << c.what;
        EXPECT_EQ(ProfileFaultMessage(check), c.message) << c.what;
    }
    const ProfileCheck missing = CheckProfileFile((Scratch() / "missing.icm").string().c_str());
    EXPECT_EQ(missing.fault, ProfileFault::kUnreadable);
    EXPECT_EQ(ProfileFaultMessage(missing), kMessageProfileUnreadable);
}

TEST(ProfileCheck, FindsTheFirstUnusableEngineProfileOfTheMask)
{
    const std::string good = WriteProfile("good.icm", qrvtest::NarrowRgbProfile().Build());
    const std::string lch = WriteProfile("lch.icm", qrvtest::LabIdentityProfile("Lch ").Build());
    const std::string version4 = WriteProfile("v4.icm", qrvtest::ParametricRgbProfile(0x04300000).Build());
    ASSERT_EQ(1, SetColorProfilePaths(good.c_str(), version4.c_str(), lch.c_str(), version4.c_str()));
    ProfileCheck check;
    EXPECT_EQ(-1, FindUnusableEngineProfile(0x1 | 0x4, &check));
    EXPECT_EQ(check.fault, ProfileFault::kNone);
    EXPECT_EQ(1, FindUnusableEngineProfile(0xF, &check));
    EXPECT_EQ(check.fault, ProfileFault::kVersion);
    EXPECT_EQ(3, FindUnusableEngineProfile(0x8, &check));
    SetColorProfilePaths("", "", "", "");
}

#if !defined(_WIN32)
// The program's own table is checked in the program's tests.
TEST(ProfileCheck, MessageNamesTheProfileAndItsVersion)
{
    const std::map<uint32_t, std::string> table = {{kMessageProfileVersion, "%1 is a version %2 profile."}};
    qz::SetStringTable(&table);
    ProfileCheck check;
    check.fault = ProfileFault::kVersion;
    check.version = 4;
    EXPECT_EQ(ProfileFaultText("C:\\Profiles\\v4.icc", check), "C:\\Profiles\\v4.icc is a version 4 profile.");
    EXPECT_EQ(ProfileFaultText("C:\\Profiles\\v4.icc", ProfileCheck{}), "");
    qz::SetStringTable(nullptr);
}
#endif

}  // namespace
