// Where a received file goes: the next free numbered name in the thumbnail
// folder ("%08ld" after the folder, the source's extension after it), and
// the volume roots that the storage watch observes.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace shell {

inline constexpr int32_t kLastReceivedNumber = 99999999;

// The extension of the file name with its dot: the last dot after the last
// "\", "/" or ":", empty when the name has none (a dot in a folder name is
// not an extension).
std::string ReceivedFileExtension(std::string_view path);

struct NumberedName {
    std::string path;    // empty when every number is taken
    int32_t next = 1;    // to store back as the next number
};

// Tries `number` upwards (wrapping to 1 after 99999999) until `exists`
// says no; the folder gets a trailing backslash when it lacks one.
NumberedName NextReceivedFileName(std::string folder, int32_t number, std::string_view extension,
                                  const std::function<bool(const std::string&)>& exists);

// The root of the volume that holds a folder, as the storage watch sees it:
// a network path "\\server\share" up to the end of the share name, with a
// backslash; else the text up to the first backslash, or the whole path
// with a backslash when it has none.
std::string WatchedVolumeRoot(std::string_view folder);

}  // namespace shell
