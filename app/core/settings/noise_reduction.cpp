#include "app/core/settings/noise_reduction.h"

#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

int32_t CQzNoiseReduction::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kNoiseReductionId);
    out.Put<uint16_t>(1);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put(static_cast<uint16_t>(lineNoiseReduction));
    out.Put(static_cast<uint16_t>(colourNoiseReduction));
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzNoiseReduction::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kNoiseReductionId))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    if (version != 1)
        return 0;
    in.Skip(4);
    CQzNoiseReduction read;
    uint16_t line = 0, colour = 0;
    if (in.Get(line))
        read.lineNoiseReduction = line;
    if (in.Get(colour))
        read.colourNoiseReduction = colour;
    *this = read;
    return static_cast<int32_t>(in.Position());
}
