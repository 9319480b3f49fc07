#include "app/shell/batch/folder_snapshot.h"

#include <cstring>

namespace shell {

bool IsReadyForImport(const WatchedEntry& entry)
{
    return entry.size > 0 && !entry.hidden && !entry.inUse;
}

bool ContainsPath(const FileList& files, const char* path)
{
    for (const CFileNameAndTime& file : files) {
        if (std::strcmp(file.GetPath(), path) == 0)
            return true;
    }
    return false;
}

int32_t MergeRescan(const FileList& fresh, FileList& snapshot, FileList& ownOutputs, FileList& queue)
{
    FileList old = snapshot;
    FileList added = fresh;
    for (auto it = added.begin(); it != added.end();) {
        auto match = old.begin();
        while (match != old.end() && !(*match == *it))
            ++match;
        if (match != old.end()) {
            old.erase(match);
            it = added.erase(it);
        } else {
            ++it;
        }
    }
    // What is left of the old copy has gone from the folder.
    for (const CFileNameAndTime& gone : old)
        snapshot.remove(gone);

    int32_t count = 0;
    for (const CFileNameAndTime& file : added) {
        snapshot.push_back(file);
        ++count;
        auto own = ownOutputs.begin();
        while (own != ownOutputs.end() && !(*own == file))
            ++own;
        if (own != ownOutputs.end())
            ownOutputs.erase(own);
        else
            queue.push_back(file);
    }
    return count;
}

}  // namespace shell
