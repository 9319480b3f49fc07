// The folder batch's view of its source folder: the files seen at the last
// scan (the snapshot), the files the run wrote itself (own outputs) and the
// files waiting to be loaded (the queue). A rescan is compared with the
// snapshot; only files that are new and not the run's own are queued.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "app/shell/batch/file_name_and_time.h"

namespace shell {

using FileList = std::list<CFileNameAndTime>;

// One directory entry of a rescan, with what decides whether it is ready.
struct WatchedEntry {
    std::string path;
    uint32_t timeLow = 0;
    uint32_t timeHigh = 0;
    int32_t kind = 0;
    uint64_t size = 0;
    bool hidden = false;
    // Another program still has it open: it could not be opened exclusively.
    bool inUse = false;
};

// A file is taken only once it has content, is visible and nobody writes it
// any more; the others wait for a later scan.
bool IsReadyForImport(const WatchedEntry& entry);

// Compares a rescan (ready entries only) with the snapshot: vanished files
// leave the snapshot, new ones join it; a new file that is one of the run's
// own outputs leaves that list and is not queued, every other new file is
// appended to the queue. Answers how many files were new.
int32_t MergeRescan(const FileList& fresh, FileList& snapshot, FileList& ownOutputs, FileList& queue);

// Whether `path` is in `files` (byte for byte).
bool ContainsPath(const FileList& files, const char* path);

}  // namespace shell
