// An entry of the file lists of folder scans: sorted folder by folder,
// oldest first.
#pragma once

#include <cstdint>

#include "app/core/text/qz_string.h"

class CFileNameAndTime {
public:
    // The time is the file's last-write time, 100-nanosecond units, in halves.
    CFileNameAndTime(const char* path, uint32_t timeLow, uint32_t timeHigh, int32_t type);
    CFileNameAndTime(const CFileNameAndTime& other);
    CFileNameAndTime& operator=(const CFileNameAndTime& other);
    virtual ~CFileNameAndTime();

    // By folder (the text before the last backslash, case ignored), then by time.
    bool operator<(const CFileNameAndTime& other) const;
    // The same path, byte for byte; times and types do not count.
    bool operator==(const CFileNameAndTime& other) const;

    const CQzString& GetPath() const { return path_; }
    uint32_t GetTimeLow() const { return timeLow_; }
    uint32_t GetTimeHigh() const { return timeHigh_; }
    // The save file type that the scan looked for.
    int32_t GetType() const { return type_; }

private:
    CQzString path_;
    uint32_t timeLow_;
    uint32_t timeHigh_;
    int32_t type_;
};
