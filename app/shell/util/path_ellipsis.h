// A path shortened to fit a width: the folders after the first give way to
// "...\" from the left, the file name always stays.
#pragma once

#include <functional>
#include <string>

namespace shell {

// `fits` answers whether a text fits; the shortest form is returned when
// none does.
std::string EllipsizePath(const std::string& path, const std::function<bool(const std::string&)>& fits);

}  // namespace shell
