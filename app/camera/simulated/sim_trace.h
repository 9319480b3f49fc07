// How the simulated module writes a call's data argument into its trace.
#pragma once

#include <cstdint>
#include <string>

namespace kavosim {

// The data argument of the given type, decoded; pointers are read within the
// size the type gives.
std::string DecodeData(uint32_t dataType, const void* data);

}  // namespace kavosim
