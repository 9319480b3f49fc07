// The record with which a second start hands one file to the running
// instance (WM_COPYDATA, dwData 0x800B): a wire format between two
// processes of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace shell {

constexpr uint32_t kHandOverDataId = 0x800B;
constexpr size_t kHandOverPathBytes = 260;

struct HandOverRecord {
    uint32_t import;        // 1: the sender was started with "/t"
    uint32_t deleteSource;  // 1: with "/t" and "/r"
    char path[kHandOverPathBytes];  // long-name form, zero-terminated
};
static_assert(sizeof(HandOverRecord) == 268, "the record's size is part of the wire format");

// Null when the path does not fit 259 characters: a cut path could name
// another file, and the receiver may delete what the record names.
std::optional<HandOverRecord> MakeHandOverRecord(const std::string& longPath, bool import, bool deleteSource);

// The receiver's check: exactly the record's size, data present, and a path
// terminated within its 260 bytes. Null for anything else.
std::optional<HandOverRecord> ReadHandOverRecord(const void* data, size_t size);

}  // namespace shell
