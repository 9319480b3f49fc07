#include "app/core/curves/lut_channel_base.h"

#include "app/core/settings/blob_cursor.h"

int32_t CQzLutChannelBase::GetData(uint8_t* buffer, int32_t length) const
{
    qz::BlobWriter out(buffer, length);
    out.PutId(GetClassId());
    out.Put(channelId_);
    return out.Answer();
}

int32_t CQzLutChannelBase::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, GetClassId()))
        return 0;
    qz::BlobReader in(buffer, length);
    in.Skip(16);
    in.Get(channelId_);
    selectedPoint_ = -1;
    return 20;
}
