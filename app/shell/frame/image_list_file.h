// The camera image list ("Image.lst") as the main frame reads it to clear
// the thumbnails on exit: one entry a line, the file path after the first
// tab (the whole line when there is none).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace frame {

// The longest line the list's writer produces.
constexpr size_t kMaxImageListLine = 259;

// Line feeds end lines, carriage returns are dropped, the end of the data
// ends the last line, empty lines are skipped. A line longer than the
// writer's limit is not one of ours: it is left out whole, since a cut path
// could name another file.
std::vector<std::string> SplitImageListLines(const char* data, size_t size);

std::string ImageListEntryPath(const std::string& line);

// The settings sidecar of an image: the extension of the file name (never
// a dot of a folder name) replaced by ".ipi", or ".ipi" appended when the
// name has none.
std::string SidecarPath(const std::string& path);

// Reads the list (others may read it meanwhile, not write); false when it
// cannot be opened, which counts as an empty list.
bool ReadImageList(const std::string& path, std::vector<std::string>* lines);

}  // namespace frame
