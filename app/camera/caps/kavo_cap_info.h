// One capability record held by value, as the capability queries hand it out.
#pragma once

#include <cstring>

#include "app/camera/kavo_records.h"

class CQzKAVOCapInfo {
public:
    CQzKAVOCapInfo() { std::memset(&info_, 0, sizeof(info_)); }
    explicit CQzKAVOCapInfo(const tagQzKAVOCapInfo& info) { std::memcpy(&info_, &info, sizeof(info_)); }
    CQzKAVOCapInfo(const CQzKAVOCapInfo&) = default;
    CQzKAVOCapInfo& operator=(const CQzKAVOCapInfo&) = default;
    virtual ~CQzKAVOCapInfo() = default;

    const tagQzKAVOCapInfo& Get() const { return info_; }
    uint32_t Id() const { return info_.id; }

private:
    tagQzKAVOCapInfo info_;
};
