// The adjustments block reader takes any bytes: it stays inside the block,
// every section it hands on lies within it, and pasting what it accepted
// leaves a record that copies again into a block that reads back.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "app/core/clipboard/adjustment_block.h"
#include "app/core/procset/record_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 1 << 20)
        return 0;
    // An exactly sized heap block: a read past the length is caught.
    const std::vector<uint8_t> input(data, data + size);
    qz::AdjustmentBlock block;
    if (!qz::ReadAdjustmentBlock(input.data(), input.size(), block))
        return 0;
    const uint8_t* end = input.data() + input.size();
    for (const qz::AdjustmentSection& section : block.sections) {
        if (section.present && (section.blob < input.data() || section.blobSize < 0 || section.blob > end ||
                                section.blobSize > end - section.blob))
            __builtin_trap();
    }
    CQzRecordSettings record;
    qz::ApplyAdjustmentBlock(block, record, {size % 2 == 0, 300, 200});

    const int64_t full = qz::MeasureAdjustmentBlock(record, qz::kAdjustAll);
    std::vector<uint8_t> copy(static_cast<size_t>(full));
    if (full <= 0 || !qz::WriteAdjustmentBlock(record, qz::kAdjustAll, copy.data(), full))
        __builtin_trap();
    qz::AdjustmentBlock again;
    if (!qz::ReadAdjustmentBlock(copy.data(), copy.size(), again))
        __builtin_trap();
    return 0;
}
