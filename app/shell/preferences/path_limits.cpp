#include "app/shell/preferences/path_limits.h"

#include "clx/app.h"
#include "clx/string.h"

namespace shell {

namespace {
constexpr UINT kPathTooLong = 8345;
}

bool AcceptPathLength(const std::string& path)
{
    if (path.size() <= kMaxPathLength)
        return true;
    CString text;
    AfxFormatString1(text, kPathTooLong, path.c_str());
    AfxMessageBox(text, MB_OK);
    return false;
}

}  // namespace shell
