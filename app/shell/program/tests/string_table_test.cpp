// The built Tessaline.exe holds every string that the program's code names:
// each id from the list collected out of the sources is looked up in the
// program file's own string table, never through the code that loads it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include <windows.h>

#include "app/core/text/string_resource.h"
#include "app/shell/frame/frame_ids.h"
#include "app/shell/program/about_ids.h"
#include "app/shell/program/program_ids.h"
#include "clx/resource.h"

namespace fs = std::filesystem;

namespace {

struct NamedString {
    UINT id;
    const char* name;  // as the code writes it
    const char* file;  // the source that names it
};

const NamedString kNamed[] = {
#define TESS_STRING_ID(id, file) {static_cast<UINT>(id), #id, file},
#include "program_string_ids.inc"
#undef TESS_STRING_ID
};

TEST(ProgramStringTable, HoldsEveryStringTheCodeNames)
{
    char self[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = (fs::path(self).parent_path() / "Tessaline.exe").string();
    // Its resources only: nothing of the program runs.
    HMODULE resources = ::LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, resources) << program;
    // The collection found the code's names: the labels of the shooting data
    // alone are 77 of them.
    EXPECT_GT(std::size(kNamed), 150u);
    for (const NamedString& named : kNamed) {
        char text[4] = "";
        EXPECT_GT(::LoadStringA(resources, named.id, text, sizeof text), 0)
            << "string " << named.id << " (" << named.name << ", named in " << named.file
            << ") is not in Tessaline.exe's string table";
    }
    ::FreeLibrary(resources);
}

}  // namespace
