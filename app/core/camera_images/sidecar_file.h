// The ".ipi" settings sidecar of a received image: the settings container
// of the image's adjustments (every component with its on-flag, the caption
// and the two orientation values), one byte 0, and one byte for the saved
// flag. It keeps an image's adjustments and saved state between runs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct CQzRecordSettings;

namespace camimg {

// The image path with the extension of its file name replaced by ".ipi";
// a file name without a dot gets ".ipi" appended. Only the last component
// counts (after the last "\", "/" or ":"): a dot in a folder name would
// make two images share one sidecar.
std::string SidecarPath(std::string_view imagePath);

// The file's bytes for the settings and the saved flag (0 or 1).
std::vector<uint8_t> EncodeSidecar(CQzRecordSettings& settings, bool saved);

// Decodes what the file holds into the settings, for an image of
// width x height (the size and resolution need it). The saved flag is the
// byte after the blob's terminating 0; a file too short to hold it, or
// whose blob does not decode, reads as not saved.
struct SidecarContents {
    int32_t blobLength = 0;  // bytes the container covered; 0: nothing decoded
    bool saved = false;
};
SidecarContents DecodeSidecar(const uint8_t* data, size_t size, CQzRecordSettings& settings, int32_t width,
                              int32_t height);

// The whole file; false when it cannot be opened or read (the bytes are
// then empty, which decodes as nothing).
bool ReadSidecarFile(const char* path, std::vector<uint8_t>* bytes);

// Writes the file whole (created or truncated); false on any failure.
bool WriteSidecarFile(const char* path, const std::vector<uint8_t>& bytes);

}  // namespace camimg
