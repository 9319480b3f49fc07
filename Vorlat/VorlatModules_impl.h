// Module codes (the file id of an error frame) of the framework's own files.
#pragma once

#include <cstdint>

enum VorlatModule : int32_t {
    kModuleImage = 2,
    kModuleManager = 3,  // tile manager and page files
    kModuleTile = 4,     // tile id, tile grid, tile
    kModuleChain = 5,
    kModuleHistogram = 6,
    kModuleRegistry = 7,
    kModuleSource = 8,   // data-source helpers
    kModuleTerminus = 9,
};
