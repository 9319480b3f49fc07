#include "app/shell/batch/file_name_and_time.h"

#include <cstring>

namespace {

// Length of the folder part: everything before the last backslash.
size_t FolderLength(const char* path)
{
    const char* slash = path ? std::strrchr(path, '\\') : nullptr;
    return slash ? static_cast<size_t>(slash - path) : 0;
}

unsigned char Folded(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

// <0, 0, >0 as the folders order, letter case ignored.
int CompareFolders(const char* a, const char* b)
{
    const size_t lengthA = FolderLength(a);
    const size_t lengthB = FolderLength(b);
    for (size_t i = 0; i < lengthA && i < lengthB; ++i) {
        if (Folded(a[i]) != Folded(b[i]))
            return Folded(a[i]) < Folded(b[i]) ? -1 : 1;
    }
    return lengthA == lengthB ? 0 : (lengthA < lengthB ? -1 : 1);
}

}  // namespace

CFileNameAndTime::CFileNameAndTime(const char* path, uint32_t timeLow, uint32_t timeHigh, int32_t type)
    : path_(path), timeLow_(timeLow), timeHigh_(timeHigh), type_(type)
{
}

CFileNameAndTime::CFileNameAndTime(const CFileNameAndTime& other) = default;

CFileNameAndTime& CFileNameAndTime::operator=(const CFileNameAndTime& other) = default;

CFileNameAndTime::~CFileNameAndTime() = default;

bool CFileNameAndTime::operator<(const CFileNameAndTime& other) const
{
    const int folders = CompareFolders(path_, other.path_);
    if (folders != 0)
        return folders < 0;
    if (timeHigh_ != other.timeHigh_)
        return timeHigh_ < other.timeHigh_;
    return timeLow_ < other.timeLow_;
}

bool CFileNameAndTime::operator==(const CFileNameAndTime& other) const
{
    return std::strcmp(path_, other.path_) == 0;
}
