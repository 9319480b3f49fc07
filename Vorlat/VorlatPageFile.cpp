// The manager's page files: slots of one tile buffer each, written at
// eviction, read back at lock and read-ahead, compacted and trimmed at idle.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "Vorlat/VorlatManager_impl.h"
#include "Vorlat/VorlatModules_impl.h"
#include "port/port.h"

namespace {

constexpr size_t kMaxPath = 260;

IVorlatError* ErrnoFrame(IVorlatError** chain, int32_t line)
{
    // A short transfer leaves errno as it was; it is still a failure.
    const int32_t error = errno ? errno : EIO;
    return IVorlatError::Add(chain, kModuleManager, line, kVorlatFromErrno, error);
}

} // namespace

// File b (b >= 1) is named after file 0: "%s%d.%s" around the last dot of the
// file name, or "%s%d" when the name has none. Both separators count.
std::string VorlatPageFileName(const std::string& first, size_t index)
{
    const size_t separator = first.find_last_of("\\/");
    const size_t nameStart = separator == std::string::npos ? 0 : separator + 1;
    const size_t dot = first.rfind('.');
    const std::string number = std::to_string(index);
    if (dot != std::string::npos && dot >= nameStart)
        return first.substr(0, dot) + number + first.substr(dot);
    return first + number;
}

std::string CVorlatManager::PageFileName(size_t index) const { return VorlatPageFileName(pageFiles_[0].path, index); }

IVorlatError* CVorlatManager::OpenPageFile(VorlatPageFile& file)
{
    IVorlatError* err = nullptr;
    if (file.state == VorlatPageFile::kOpen)
        return nullptr;
    if (file.state == VorlatPageFile::kNotOpen) {
        errno = 0;
        if (file.path.size() < kMaxPath)
            file.descriptor = port::FileOpen(file.path.c_str(), port::kReadWrite | port::kCreate | port::kTruncate);
        else
            errno = ENAMETOOLONG;
        file.state = file.descriptor == -1 ? VorlatPageFile::kFailed : VorlatPageFile::kOpen;
        if (file.state == VorlatPageFile::kOpen)
            return nullptr;
    } else {
        errno = EBADF;
    }
    ErrnoFrame(&err, __LINE__);
    return IVorlatError::Add(&err, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrPageFile);
}

IVorlatError* CVorlatManager::WriteSlot(VorlatPageFile& file, int32_t slot, const uint8_t* buffer)
{
    IVorlatError* err = nullptr;
    if (VorlatFailed(&err, kModuleManager, __LINE__, OpenPageFile(file)))
        return err;
    errno = 0;
    const int64_t offset = static_cast<int64_t>(slot) * tileBytes_;
    if (port::FileSeek(file.descriptor, offset, SEEK_SET) != offset ||
        port::FileWrite(file.descriptor, buffer, static_cast<uint32_t>(tileBytes_)) != tileBytes_) {
        ErrnoFrame(&err, __LINE__);
        return IVorlatError::Add(&err, kModuleManager, __LINE__, kVorlatFromSystem, kVorlatErrPageFile);
    }
    return nullptr;
}

IVorlatError* CVorlatManager::ReadSlot(VorlatPageFile& file, int32_t slot, uint8_t* buffer)
{
    IVorlatError* err = nullptr;
    errno = 0;
    const int64_t offset = static_cast<int64_t>(slot) * tileBytes_;
    if (file.state != VorlatPageFile::kOpen) {
        errno = EBADF;
        return ErrnoFrame(&err, __LINE__);
    }
    if (port::FileSeek(file.descriptor, offset, SEEK_SET) != offset)
        return ErrnoFrame(&err, __LINE__);
    if (port::FileRead(file.descriptor, buffer, static_cast<uint32_t>(tileBytes_)) != tileBytes_)
        return ErrnoFrame(&err, __LINE__);
    return nullptr;
}

IVorlatError* CVorlatManager::CutFile(VorlatPageFile& file, size_t slots)
{
    IVorlatError* err = nullptr;
    errno = 0;
    if (file.state != VorlatPageFile::kOpen ||
        port::FileChsize(file.descriptor, static_cast<int64_t>(slots) * tileBytes_) != 0) {
        if (file.state != VorlatPageFile::kOpen)
            errno = EBADF;
        return ErrnoFrame(&err, __LINE__);
    }
    return nullptr;
}

IVorlatError* CVorlatManager::WriteTile(CVorlatTile* tile)
{
    IVorlatError* err = nullptr;
    if (tile->pageSlot_ != -1) {
        VorlatPageFile& file = pageFiles_[static_cast<size_t>(tile->pageFile_)];
        VorlatFailed(&err, kModuleManager, __LINE__, WriteSlot(file, tile->pageSlot_, tile->buffer_));
        return err;
    }
    for (size_t index = 0;; ++index) {
        if (index == pageFiles_.size()) {
            pageFiles_.emplace_back();
            pageFiles_.back().path = PageFileName(index);
        }
        VorlatPageFile& file = pageFiles_[index];
        if (VorlatFailed(&err, kModuleManager, __LINE__, OpenPageFile(file)))
            return err;
        int32_t slot = -1;
        for (size_t i = 0; i < file.slots.size(); ++i) {
            if (!file.slots[i]) {
                slot = static_cast<int32_t>(i);
                break;
            }
        }
        const bool append = slot == -1;
        if (append) {
            if (!VorlatPageFileMayAppend(file.slots.size(), tileBytes_, pageFileLimit_))
                continue;
            slot = static_cast<int32_t>(file.slots.size());
        }
        if (VorlatFailed(&err, kModuleManager, __LINE__, WriteSlot(file, slot, tile->buffer_)))
            return err;
        if (append)
            file.slots.push_back(tile);
        else
            file.slots[static_cast<size_t>(slot)] = tile;
        tile->pageFile_ = static_cast<int32_t>(index);
        tile->pageSlot_ = slot;
        if (Listening())
            Report(&err, append ? 1 : 33, slot, 0, tile);
        return err;
    }
}

IVorlatError* CVorlatManager::ReadTile(CVorlatTile* tile, uint8_t* buffer)
{
    IVorlatError* err = nullptr;
    if (tile->pageSlot_ == -1) {
        std::memset(buffer, 0, static_cast<size_t>(tileBytes_));
        return nullptr;
    }
    VorlatFailed(&err, kModuleManager, __LINE__,
                 ReadSlot(pageFiles_[static_cast<size_t>(tile->pageFile_)], tile->pageSlot_, buffer));
    return err;
}

void CVorlatManager::FreeSlot(CVorlatTile* tile)
{
    pageFiles_[static_cast<size_t>(tile->pageFile_)].slots[static_cast<size_t>(tile->pageSlot_)] = nullptr;
    tile->pageSlot_ = -1;
}

bool CVorlatManager::Compact(IVorlatError** chain)
{
    for (VorlatPageFile& file : pageFiles_) {
        size_t first = 0;
        while (first < file.slots.size() && file.slots[first])
            ++first;
        if (first == file.slots.size())
            continue;
        size_t last = file.slots.size();
        while (last > first && !file.slots[last - 1])
            --last;
        if (last == first)
            continue;
        const size_t from = last - 1;
        CVorlatTile* tile = file.slots[from];
        IVorlatError* err = nullptr;
        if (VorlatFailed(&err, kModuleManager, __LINE__, ReadSlot(file, static_cast<int32_t>(from), scratch_)) ||
            VorlatFailed(&err, kModuleManager, __LINE__, WriteSlot(file, static_cast<int32_t>(first), scratch_))) {
            IVorlatError::AddWorker(chain, kModuleManager, __LINE__, err);
            return true;
        }
        file.slots[first] = tile;
        tile->pageSlot_ = static_cast<int32_t>(first);
        file.slots.resize(from);
        VorlatFailed(chain, kModuleManager, __LINE__, CutFile(file, file.slots.size()));
        if (Listening()) {
            Report(chain, 49, static_cast<int32_t>(from), static_cast<int32_t>(first), tile);
            Report(chain, 17, static_cast<int32_t>(from), -1, nullptr);
        }
        return true;
    }
    return false;
}

bool CVorlatManager::Trim(IVorlatError** chain)
{
    for (VorlatPageFile& file : pageFiles_) {
        if (file.slots.empty() || file.slots.back())
            continue;
        while (!file.slots.empty() && !file.slots.back())
            file.slots.pop_back();
        VorlatFailed(chain, kModuleManager, __LINE__, CutFile(file, file.slots.size()));
        if (Listening())
            Report(chain, 17, static_cast<int32_t>(file.slots.size()), -1, nullptr);
        return true;
    }
    return false;
}
