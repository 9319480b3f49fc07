#include "app/camera/kavo_library.h"

namespace {

void AppendWithBackslash(std::string* path, const std::string& part)
{
    if (!path->empty() && path->back() != '\\')
        path->push_back('\\');
    path->append(part);
}

}  // namespace

std::string JoinKavoModulePath(const std::string& commonFiles, const std::string& folder, const std::string& fileName)
{
    std::string path = commonFiles;
    AppendWithBackslash(&path, folder);
    AppendWithBackslash(&path, fileName);
    return path;
}
