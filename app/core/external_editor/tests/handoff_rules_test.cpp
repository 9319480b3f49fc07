#include "app/core/external_editor/handoff_rules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EditorHandoffRules, DrivesEditorsFromVersionFiveByTheLeadingInteger)
{
    struct Case {
        const char* version;
        bool supported;
    } cases[] = {
        {"4.0.1", false}, {"4.0", false},  {"5.0", true},   {"10.0", true}, {"14.0", true},
        {"5", true},      {" 7.0", true},  {"50.4.1", true}, {"0.5", false}, {"", false},
        {"CS", false},    {"v8.0", false}, {"99999999999999999999.0", true}, {nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version ? c.version : "(null)");
        EXPECT_EQ(qz::IsEditorVersionSupported(c.version), c.supported);
    }
}

TEST(EditorHandoffRules, TheTransferPathHasOneBackslashAndIsRefusedWhenItWouldNotFit)
{
    char path[260];
    ASSERT_TRUE(qz::BuildEditorTransferPath("C:\\Temp", path, sizeof path));
    EXPECT_STREQ(path, "C:\\Temp\\PSXfer.tif");
    ASSERT_TRUE(qz::BuildEditorTransferPath("C:\\Temp\\", path, sizeof path));
    EXPECT_STREQ(path, "C:\\Temp\\PSXfer.tif");

    // Exactly filling the buffer, zero included, fits; one more byte does not.
    const std::string folder(260 - 1 - 1 - 10, 'a');
    EXPECT_TRUE(qz::BuildEditorTransferPath(folder.c_str(), path, sizeof path));
    EXPECT_EQ(std::string(path).size(), 259u);
    EXPECT_FALSE(qz::BuildEditorTransferPath((folder + "b").c_str(), path, sizeof path));
    EXPECT_STREQ(path, "") << "nothing half-written";
    EXPECT_FALSE(qz::BuildEditorTransferPath("", path, sizeof path));
    EXPECT_FALSE(qz::BuildEditorTransferPath(nullptr, path, sizeof path));
    EXPECT_FALSE(qz::BuildEditorTransferPath("C:\\Temp", path, 0));
}

}  // namespace
