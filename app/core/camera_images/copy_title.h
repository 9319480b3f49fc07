// The title of a camera image opened as a copy: "Image" + id + "Copy", then
// with 1, 2, ... appended while an open window's caption begins with it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace camimg {

// `prefix` and `suffix` are the program's words ("Image", "Copy");
// `isTaken` tells whether some window's caption begins with a candidate.
std::string MakeThumbnailCopyTitle(const std::string& prefix, uint32_t id, const std::string& suffix,
                                   const std::function<bool(const std::string&)>& isTaken);

}  // namespace camimg
