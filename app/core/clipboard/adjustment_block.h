// The adjustments block of the private clipboard format: seven u32 section
// sizes, then the present sections back to back. Each section but size and
// resolution is the record's on/off flag byte followed by the settings
// object's blob; size and resolution is the blob alone.
#pragma once

#include <cstdint>

struct CQzRecordSettings;

namespace qz {

// The first private clipboard format: any program may put other data under it.
inline constexpr uint32_t kAdjustmentClipboardFormat = 0x200;
inline constexpr int32_t kAdjustmentHeaderSize = 28;

// Selection mask; the same bits as the display chain's update hints.
inline constexpr uint32_t kAdjustCurves = 0x1;
inline constexpr uint32_t kAdjustColourBalance = 0x2;
inline constexpr uint32_t kAdjustUsm = 0x4;
inline constexpr uint32_t kAdjustSizeRes = 0x20;
inline constexpr uint32_t kAdjustWhiteBalance = 0x100;
inline constexpr uint32_t kAdjustExposure = 0x200;
inline constexpr uint32_t kAdjustNoiseReduction = 0x400;
inline constexpr uint32_t kAdjustAll = 0x7FFF;

// Sections in the header's order.
enum AdjustmentSectionIndex : int32_t {
    kSectionCurves,
    kSectionColourBalance,
    kSectionSizeRes,
    kSectionUsm,
    kSectionExposure,
    kSectionWhiteBalance,
    kSectionNoiseReduction,
    kSectionCount
};

// The mask bit of each section, in the header's order.
inline constexpr uint32_t kSectionBits[kSectionCount] = {kAdjustCurves,   kAdjustColourBalance, kAdjustSizeRes,
                                                          kAdjustUsm,      kAdjustExposure,      kAdjustWhiteBalance,
                                                          kAdjustNoiseReduction};

struct AdjustmentSection {
    bool present = false;
    uint8_t flag = 0;                // 0 for size and resolution
    const uint8_t* blob = nullptr;   // inside the block read
    int32_t blobSize = 0;            // the section's size without the flag byte
};

struct AdjustmentBlock {
    AdjustmentSection sections[kSectionCount];
};

// The block's size for the sections the mask selects; 0 for a mask of 0, and
// 0 when the block would not stay within the 31-bit sizes the blobs use.
int64_t MeasureAdjustmentBlock(const CQzRecordSettings& record, uint32_t mask);

// Writes the block into `block` of `size` bytes (MeasureAdjustmentBlock's
// answer); false, with nothing promised, when it does not fit.
bool WriteAdjustmentBlock(const CQzRecordSettings& record, uint32_t mask, uint8_t* block, int64_t size);

// Checks the block against the bytes really there: at least the header, the
// sizes' sum (in 64 bits) within the rest, every section that carries a flag
// at least that byte. False, `out` cleared, when it is malformed.
bool ReadAdjustmentBlock(const uint8_t* block, uint64_t size, AdjustmentBlock& out);

// What a paste onto an image record changes of the record's settings.
struct AdjustmentPasteTarget {
    // Exposure and white balance are pasted only onto raw images or records
    // without a tag store.
    bool takesRawSettings = true;
    // The developed image's size for the size and resolution settings, 0 x 0 when unknown.
    int32_t width = 0;
    int32_t height = 0;
};

// Sets the record's flags from the sections' flag bytes and has each object
// read its blob (an object that refuses its blob stays as it was). The noise
// reduction section is never applied. Answers the mask bits of the sections applied.
uint32_t ApplyAdjustmentBlock(const AdjustmentBlock& block, CQzRecordSettings& record,
                              const AdjustmentPasteTarget& target);

}  // namespace qz
