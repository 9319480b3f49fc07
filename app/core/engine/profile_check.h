// Whether the colour engine can use a profile file, and why not: checked
// where a profile is named (start-up, the profile settings) and when a
// develop fails, so that the user hears which profile it was and what is
// wrong with it rather than a bare failure.
#pragma once

#include <cstdint>
#include <string>

enum class ProfileFault : int32_t {
    kNone = 0,
    kUnreadable,  // the file cannot be opened or read
    kVersion,     // a profile of another version than 2 that the engine cannot read
    kUnusable,    // damaged, or of a kind the engine does not read
};

struct ProfileCheck {
    ProfileFault fault = ProfileFault::kNone;
    int32_t version = 0;  // the header's major version, 0 when there is no ICC header
};

// Reads the file and builds a transform from it to itself, which loads both
// of its sides.
ProfileCheck CheckProfileFile(const char* path);
ProfileCheck CheckProfileBlock(const uint8_t* data, uint32_t bytes);

// The program's message for a fault (%1 the path, %2 the version), 0 for none.
inline constexpr uint32_t kMessageProfileUnreadable = 6160;
inline constexpr uint32_t kMessageProfileVersion = 6161;
inline constexpr uint32_t kMessageProfileUnusable = 6162;
uint32_t ProfileFaultMessage(const ProfileCheck& check);
// That message from the program's string table with the path and version in
// place; "" for no fault.
std::string ProfileFaultText(const char* path, const ProfileCheck& check);

// The first of the engine's profiles 0 (working RGB), 1 (CMYK), 2
// (lightness-chroma-hue) and 3 (monitor) named in `mask` (bit n for profile
// n) that the engine cannot use: its number, or -1 when every one can be used.
int32_t FindUnusableEngineProfile(uint32_t mask, ProfileCheck* check);
