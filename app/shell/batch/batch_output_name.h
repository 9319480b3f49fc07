// Where a folder batch writes each output. A source image is never lost: an
// output never replaces its own source, a source still waiting in the run,
// or an output that this run already wrote; such an output takes the next
// numbered name instead, and the caller logs why.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/shell/batch/folder_snapshot.h"

namespace shell {

struct BatchOutputRequest {
    std::string sourcePath;
    int32_t sourceKind = 0;  // 3 JPEG, 5 TIFF, 1 raw
    int32_t fileType = 0;    // 0: the source's kind
    bool useSourceFolder = false;
    bool useSourceFileName = false;
    std::string destinationFolder;
};

// Why the source's own name was not used.
enum BatchOutputRenamed : int32_t {
    kOutputNameAsChosen = 0,
    kOutputWouldReplaceSource = 1,   // the source itself, or another source of the run
    kOutputAlreadyWritten = 2,       // an output of this run
};

// The next numbered name in a folder for an extension ("" when none is free).
using NumberedNamer = std::function<std::string(const std::string& folder, const std::string& extension)>;

struct BatchOutputName {
    std::string path;  // "" when no name could be made
    int32_t renamed = kOutputNameAsChosen;
};

// The folder part of a path, without its last backslash ("" when there is none).
std::string FolderOfPath(const std::string& path);
// The name less its folder (up to the last backslash or colon) and extension.
std::string BaseNameOfPath(const std::string& path);
// Paths are the same file on the program's file systems: letter case ignored.
bool SamePath(const std::string& a, const std::string& b);

// `extension` is that of the output type (or of the source's kind for type
// 0); `sources` every source file the run knows; `written` the outputs of
// this run so far.
BatchOutputName MakeBatchOutputName(const BatchOutputRequest& request, const std::string& extension,
                                    const FileList& sources, const std::vector<std::string>& written,
                                    const NumberedNamer& numbered);

// "Delete" removes a source only when its output is another file that was
// written and has content.
bool MayDeleteSource(const std::string& source, const std::string& output, bool outputWritten,
                     uint64_t outputSize);

}  // namespace shell
