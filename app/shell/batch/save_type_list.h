// The texts behind the batch dialog's "Save as type:" list and its sample
// name.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace shell {

// The descriptions of a save filter string ("desc|*.ext|desc|*.ext||") with
// the save file type each stands for: ".xqv" 1, ".bmp" 2, ".jpg" 3 (4 when
// the description holds `jfif`), ".tif" 5 (6 when it holds `cmyk`). Pairs
// of another extension are left out.
std::vector<std::pair<std::string, int32_t>> ParseSaveTypeFilter(const std::string& filter, const std::string& jfif,
                                                                 const std::string& cmyk);

// "Img0007.tif": prefix, the number padded with zeros to `length` digits,
// suffix and extension. Lengths beyond 20 digits count as 20.
std::string FormatSampleName(const std::string& prefix, uint32_t number, int32_t length, const std::string& suffix,
                             const std::string& extension);

// A text that does not fit loses its last four characters to "..." until
// it fits, or until nothing but the dots is left.
std::string FitWithTrailingDots(std::string text, const std::function<bool(const std::string&)>& fits);

}  // namespace shell
