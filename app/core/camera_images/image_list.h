// "Image.lst": the camera image window's list of received images, one line
// an image ("<id>\t<path>"), kept in the program folder from one run to the
// next. Appended lines end in a line feed, a whole rewrite's in CR LF; both
// occur in one file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace camimg {

struct ImageListEntry {
    int32_t id = 0;
    std::string path;
};

// Line feeds end lines, carriage returns are dropped wherever they are, the
// end of the data ends the last line, empty lines are skipped. Lines of any
// length are kept whole: a cut path could name another file.
std::vector<std::string> SplitImageListLines(const char* data, size_t size);

// The id is the decimal number before the first tab (as atoi reads it), the
// path everything after it; false for a line without a tab.
bool ParseImageListLine(const std::string& line, ImageListEntry* entry);

std::vector<ImageListEntry> ParseImageList(const char* data, size_t size);

// "%d\t%s\n" for an appended line, "%d\t%s\r\n" for a rewrite's.
std::string FormatImageListLine(const ImageListEntry& entry, bool appended);

// The entries of the file; false (no entries) when it cannot be read.
bool ReadImageListFile(const char* path, std::vector<ImageListEntry>* entries);

// Adds one line at the end, making the file when it is missing; other
// writers are shut out meanwhile.
bool AppendImageListLine(const char* path, const ImageListEntry& entry);

// fwrite's shape: the number of items written.
using ImageListWrite = std::function<size_t(const void* data, size_t size, size_t count, std::FILE* file)>;

// Rewrites the whole list into a new file beside it, which replaces the old
// one only after a clean close: a failed write (a full disk) keeps the old
// list and answers false. `write` is the stream's writer, fwrite unless a
// test gives its own.
bool WriteImageListFile(const char* path, const std::vector<ImageListEntry>& entries,
                        const ImageListWrite& write = nullptr);

}  // namespace camimg
