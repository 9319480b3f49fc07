// The folder batch's look at the disk (Windows): the scan of a source
// folder, the rescan of a watched folder, and the file system behind the
// Start checks of the batch settings.
#pragma once

#include <string>
#include <vector>

#include "app/shell/batch/batch_start_checks.h"
#include "app/shell/batch/folder_snapshot.h"

namespace shell {

// Appends the JPEG (kind 3), TIFF (5) and raw (1) files of `folder` in
// that order, each with its last-write time; with `subfolders` the
// subfolders' files come first, recursively.
void ScanImageFolder(const char* folder, bool subfolders, FileList& files);

// The same three patterns in the folder alone, with each file's size, its
// hidden mark and whether another program still holds it open.
std::vector<WatchedEntry> ScanWatchedFolder(const char* folder);

// A temporary file "Wrt..." made, written with one byte, closed and deleted.
bool CanCreateFilesIn(const char* folder);

// The disk itself for CheckBatchStart.
const BatchStartFileSystem& SystemStartFileSystem();

}  // namespace shell
