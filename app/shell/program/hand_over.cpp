#include "app/shell/program/hand_over.h"

#include <cstring>

namespace shell {

std::optional<HandOverRecord> MakeHandOverRecord(const std::string& longPath, bool import, bool deleteSource)
{
    if (longPath.size() >= kHandOverPathBytes || longPath.find('\0') != std::string::npos)
        return std::nullopt;
    HandOverRecord record{};
    record.import = import ? 1 : 0;
    record.deleteSource = import && deleteSource ? 1 : 0;
    std::memcpy(record.path, longPath.c_str(), longPath.size() + 1);
    return record;
}

std::optional<HandOverRecord> ReadHandOverRecord(const void* data, size_t size)
{
    if (!data || size != sizeof(HandOverRecord))
        return std::nullopt;
    HandOverRecord record;
    std::memcpy(&record, data, sizeof record);
    if (!std::memchr(record.path, '\0', sizeof record.path))
        return std::nullopt;
    return record;
}

}  // namespace shell
