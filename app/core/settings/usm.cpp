#include "app/core/settings/usm.h"

#include <algorithm>

#include "app/core/settings/blob_cursor.h"

using qz::BlobReader;
using qz::BlobWriter;

namespace {
constexpr int32_t kEntrySize = 27;
}

int32_t CQzUSM::GetData(uint8_t* buffer, int32_t length) const
{
    BlobWriter out(buffer, length);
    out.PutId(qz::kUsmId);
    out.Put<uint16_t>(1);
    out.Put(static_cast<uint16_t>(colour));
    out.Put(static_cast<uint16_t>(key));
    out.Put(intensity);
    out.Put(haloWidth);
    out.Put(threshold);
    return out.Answer();
}

int32_t CQzUSM::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kUsmId))
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    if (version != 1)
        return 0;
    CQzUSM read;
    uint16_t colour16 = 0, key16 = 0;
    if (in.Get(colour16))
        read.colour = colour16;
    if (in.Get(key16))
        read.key = key16;
    in.Get(read.intensity);
    in.Get(read.haloWidth);
    in.Get(read.threshold);
    *this = read;
    return kEntrySize;
}

CQzUSM* CQzUSMList::Find(const CQzUSM& entry)
{
    return Find(entry.colour, entry.key);
}

CQzUSM* CQzUSMList::Find(uint32_t colour, uint32_t key)
{
    for (CQzUSM& entry : entries_)
        if (entry.colour == colour && entry.key == key)
            return &entry;
    return nullptr;
}

void CQzUSMList::Insert(int32_t position, int32_t count, const CQzUSM& entry)
{
    if (count <= 0)
        return;
    position = std::clamp(position, 0, GetCount());
    entries_.insert(entries_.begin() + position, static_cast<size_t>(count), entry);
}

void CQzUSMList::RemoveAt(int32_t index)
{
    if (index >= 0 && index < GetCount())
        entries_.erase(entries_.begin() + index);
}

int32_t CQzUSMList::GetData(uint8_t* buffer, int32_t length) const
{
    // Only as many entries as the count byte can name, so that the blob reads back whole.
    const int32_t stored = std::min(GetCount(), kMaxStoredEntries);
    BlobWriter out(buffer, length);
    out.PutId(qz::kUsmListId);
    out.Put<uint16_t>(2);
    const uint64_t lengthField = out.Position();
    out.Put<uint32_t>(0);
    out.Put(static_cast<uint8_t>(stored));
    for (int32_t i = 0; i < stored; ++i) {
        if (uint8_t* target = out.Claim(kEntrySize))
            entries_[i].GetData(target, kEntrySize);
    }
    out.FinishLength(lengthField);
    return out.Answer();
}

int32_t CQzUSMList::SetData(const uint8_t* buffer, int32_t length)
{
    if (!qz::StartsWith(buffer, length, qz::kUsmListId) || length < 18)
        return 0;
    BlobReader in(buffer, length);
    in.Skip(16);
    uint16_t version = 0;
    in.Get(version);
    if (version == 2)
        in.Skip(4);
    else if (version != 1)
        return 0;
    uint8_t count = 0;
    in.Get(count);
    entries_.clear();
    for (int32_t i = 0; i < count; ++i) {
        const uint8_t* data = in.Take(kEntrySize);
        if (!data)
            continue;
        CQzUSM entry;
        if (entry.SetData(data, kEntrySize) < 1)
            break;
        entries_.push_back(entry);
    }
    return static_cast<int32_t>(in.Position());
}
