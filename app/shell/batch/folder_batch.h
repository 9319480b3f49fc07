// The bookkeeping of a folder batch, apart from its window and threads:
// the queue and snapshot of the source folder, the outputs' names, what is
// logged for each loaded or written file, when a source may be deleted,
// and the counts. The dialog feeds it the results of its loader and saver
// threads and of its folder rescans; every call is on the dialog's thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/shell/batch/auto_save_settings.h"
#include "app/shell/batch/batch_output_name.h"
#include "app/shell/batch/folder_snapshot.h"

namespace shell {

// Result codes of the loader and saver.
constexpr int32_t kBatchCancelled = -123;
constexpr int32_t kBatchNotCameraFile = -231;
constexpr int32_t kBatchDiskFull = -240;

// The log's texts; the defaults are the program's English ones.
struct FolderBatchTexts {
    std::string loadError = "Error loading %1.";
    std::string notCameraFile =
        "Error loading %1.  This file was not created by the Korva M4/M4H/M4X or has been edited and was not saved "
        "in XQV format.";
    std::string cancelled = "Cancelled by the user.";
    std::string diskFull = "Disk full error -- image not saved.";
    std::string writeError = "Error writing %1.";
    std::string wouldReplaceSource = "%1 would have replaced a source image; it was saved as %2.";
    std::string alreadyWritten = "%1 was already written in this batch; it was saved as %2.";
    std::string noOutputName = "No file name is free for %1.";
    std::string notDeleted = "%1 was not deleted: its output could not be verified.";
    std::string deleteFailed = "%1 could not be deleted.";
};

// What the batch needs of the disk and the log.
struct FolderBatchEnvironment {
    std::function<void(const std::string& message)> log;
    NumberedNamer numbered;
    // Size of a file, -1 when there is none.
    std::function<int64_t(const std::string& path)> fileSize;
    std::function<bool(const std::string& path)> removeFile;
    // The extension (".tif") of a save type or source kind.
    std::function<std::string(int32_t type)> extension;
};

// What follows a written file.
enum FolderBatchAfterWrite : int32_t {
    kGoOn = 0,
    kStopDiskFull = 1,  // the run stops with the disk-full message
};

class FolderBatch {
public:
    FolderBatch(const AutoSaveSettings& record, FolderBatchEnvironment environment, FolderBatchTexts texts = {});

    // The first scan: sorted into the queue and kept as the snapshot; its length is the expected total.
    void Begin(FileList scan);
    // Takes the next file off the queue; false when the queue is empty.
    bool TakeNext(CFileNameAndTime* next);
    void ClearQueue() { queue_.clear(); }
    bool IsQueueEmpty() const { return queue_.empty(); }

    // After the loader: a failure is logged and counted (false); on success
    // the output's path (false and logged when no name is free). The output
    // joins the own outputs, so that a watched folder does not take it in.
    bool Loaded(int32_t result, const CFileNameAndTime& source, std::string* output);
    // After the saver. `existedBefore`: the output's name was taken before
    // this write. A partial output under a new name is removed; "Delete"
    // removes the source only when the output is another, non-empty file.
    FolderBatchAfterWrite Written(int32_t result, const CFileNameAndTime& source, const std::string& output,
                                  bool existedBefore);

    // A rescan of the watched folder; answers how many files were new (queued or own).
    int32_t Rescan(const std::vector<WatchedEntry>& entries);
    // The end of a watched pass: the expected total is no longer known.
    void StartWatching() { expectedTotal_ = 0; }

    int32_t FilesSaved() const { return filesSaved_; }
    int32_t FailedFiles() const { return failed_; }
    int32_t ExpectedTotal() const { return expectedTotal_; }
    bool ErrorsLogged() const { return errors_; }
    // The outputs saved since the last call (for the cataloguing hand-off).
    std::vector<std::string> TakeSavedPaths();
    const FileList& Queue() const { return queue_; }
    const FileList& Snapshot() const { return snapshot_; }

private:
    void Log(const std::string& text, const std::string& first = {}, const std::string& second = {});

    AutoSaveSettings record_;
    FolderBatchEnvironment env_;
    FolderBatchTexts texts_;
    FileList queue_;
    FileList snapshot_;
    FileList ownOutputs_;
    std::vector<std::string> written_;
    std::vector<std::string> savedPaths_;
    int32_t filesSaved_ = 0;
    int32_t failed_ = 0;
    int32_t expectedTotal_ = 0;
    bool errors_ = false;
};

}  // namespace shell
