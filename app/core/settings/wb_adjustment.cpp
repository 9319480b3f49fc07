#include "app/core/settings/wb_adjustment.h"

#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

int32_t CQzWBAdjustment::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kWBAdjustmentId);
    out.Put<uint16_t>(2);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put(gain1);
    out.Put(gain2);
    out.Put(mode);
    out.Put(lightSource);
    out.Put(colourTemperature);
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzWBAdjustment::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kWBAdjustmentId))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    if (version == 0)
        return 0;
    in.Skip(4);
    CQzWBAdjustment read;
    in.Get(read.gain1);
    in.Get(read.gain2);
    if (version >= 2) {
        in.Get(read.mode);
        in.Get(read.lightSource);
        in.Get(read.colourTemperature);
    }
    *this = read;
    return static_cast<int32_t>(in.Position());
}
