#include "app/shell/batch/folder_batch.h"

#include <algorithm>
#include <utility>

namespace shell {

namespace {

std::string Fill(const std::string& pattern, const std::string& first, const std::string& second)
{
    std::string text;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && (pattern[i + 1] == '1' || pattern[i + 1] == '2')) {
            text += pattern[i + 1] == '1' ? first : second;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

}  // namespace

FolderBatch::FolderBatch(const AutoSaveSettings& record, FolderBatchEnvironment environment, FolderBatchTexts texts)
    : record_(record), env_(std::move(environment)), texts_(std::move(texts))
{
}

void FolderBatch::Log(const std::string& text, const std::string& first, const std::string& second)
{
    errors_ = true;
    if (env_.log)
        env_.log(Fill(text, first, second));
}

void FolderBatch::Begin(FileList scan)
{
    queue_ = std::move(scan);
    queue_.sort();
    snapshot_ = queue_;
    ownOutputs_.clear();
    expectedTotal_ = static_cast<int32_t>(queue_.size());
}

bool FolderBatch::TakeNext(CFileNameAndTime* next)
{
    if (queue_.empty())
        return false;
    *next = queue_.front();
    queue_.pop_front();
    return true;
}

bool FolderBatch::Loaded(int32_t result, const CFileNameAndTime& source, std::string* output)
{
    const std::string path = static_cast<const char*>(source.GetPath());
    if (result != 0) {
        if (result == kBatchNotCameraFile)
            Log(texts_.notCameraFile, path);
        else if (result == kBatchCancelled)
            Log(texts_.cancelled);
        else
            Log(texts_.loadError, path);
        ++failed_;
        return false;
    }
    BatchOutputRequest request;
    request.sourcePath = path;
    request.sourceKind = source.GetType();
    request.fileType = record_.fileType;
    request.useSourceFolder = record_.useSourceFolder != 0;
    request.useSourceFileName = record_.useSourceFileName != 0;
    request.destinationFolder = record_.destinationFolder;
    const std::string extension = env_.extension(record_.fileType ? record_.fileType : source.GetType());
    // Every source this run has seen or still waits for is protected.
    FileList sources = snapshot_;
    sources.insert(sources.end(), queue_.begin(), queue_.end());
    const BatchOutputName name = MakeBatchOutputName(request, extension, sources, written_, env_.numbered);
    if (name.path.empty()) {
        Log(texts_.noOutputName, path);
        ++failed_;
        return false;
    }
    if (name.renamed != kOutputNameAsChosen) {
        std::string folder = request.useSourceFolder ? FolderOfPath(path) : request.destinationFolder;
        if (folder.empty() || folder.back() != '\\')
            folder += '\\';
        const std::string chosen = folder + BaseNameOfPath(path) + extension;
        Log(name.renamed == kOutputWouldReplaceSource ? texts_.wouldReplaceSource : texts_.alreadyWritten, chosen,
            name.path);
    }
    written_.push_back(name.path);
    ownOutputs_.emplace_back(name.path.c_str(), 0, 0, record_.fileType ? record_.fileType : source.GetType());
    *output = name.path;
    return true;
}

FolderBatchAfterWrite FolderBatch::Written(int32_t result, const CFileNameAndTime& source, const std::string& output,
                                           bool existedBefore)
{
    const std::string path = static_cast<const char*>(source.GetPath());
    if (result != 0) {
        // Nothing half-written stays under a name that looks like a result.
        if (!existedBefore && env_.fileSize(output) >= 0)
            env_.removeFile(output);
        if (result == kBatchDiskFull) {
            Log(texts_.diskFull);
            ++failed_;
            return kStopDiskFull;
        }
        Log(result == kBatchCancelled ? texts_.cancelled : texts_.writeError, output);
        ++failed_;
        return kGoOn;
    }
    savedPaths_.push_back(output);
    if (record_.deleteSourceFiles) {
        const int64_t size = env_.fileSize(output);
        if (!MayDeleteSource(path, output, true, size > 0 ? static_cast<uint64_t>(size) : 0))
            Log(texts_.notDeleted, path);
        else if (!env_.removeFile(path))
            Log(texts_.deleteFailed, path);
    }
    ++filesSaved_;
    return kGoOn;
}

int32_t FolderBatch::Rescan(const std::vector<WatchedEntry>& entries)
{
    FileList fresh;
    for (const WatchedEntry& entry : entries) {
        if (IsReadyForImport(entry))
            fresh.emplace_back(entry.path.c_str(), entry.timeLow, entry.timeHigh, entry.kind);
    }
    return MergeRescan(fresh, snapshot_, ownOutputs_, queue_);
}

std::vector<std::string> FolderBatch::TakeSavedPaths()
{
    std::vector<std::string> paths;
    paths.swap(savedPaths_);
    return paths;
}

}  // namespace shell
