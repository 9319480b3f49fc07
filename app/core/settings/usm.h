// Unsharp mask settings: one entry per colour, and the list of entries that
// the develop engine applies to an image.
#pragma once

#include <cstdint>
#include <vector>

#include "app/core/settings/qz_state.h"

class CQzUSM : public IQzState {
public:
    // Colours 0 RGB, 1 red, 2 green, 3 blue, 4 yellow, 5 magenta, 6 cyan.
    uint32_t colour = 0;
    // With the colour, identifies the entry in its list; 0 unless a blob brought another.
    uint32_t key = 0;
    uint16_t haloWidth = 5;  // percent
    uint16_t intensity = 0;  // percent
    uint8_t threshold = 0;   // levels

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    int32_t SetData(const uint8_t* buffer, int32_t length) override;

    // Entries are the same entry when colour and key agree.
    bool operator==(const CQzUSM& other) const { return colour == other.colour && key == other.key; }
};

class CQzUSMList : public IQzState {
public:
    int32_t GetCount() const { return static_cast<int32_t>(entries_.size()); }
    CQzUSM& GetAt(int32_t index) { return entries_[index]; }
    const CQzUSM& GetAt(int32_t index) const { return entries_[index]; }

    // The entry equal to `entry` (same colour and key), or null.
    CQzUSM* Find(const CQzUSM& entry);
    CQzUSM* Find(uint32_t colour, uint32_t key);
    // Inserts `count` copies of `entry` before `position` (clamped to the list).
    void Insert(int32_t position, int32_t count, const CQzUSM& entry);
    void RemoveAt(int32_t index);

    int32_t GetSize() const override { return GetData(nullptr, 0); }
    int32_t GetData(uint8_t* buffer, int32_t length) const override;
    int32_t SetData(const uint8_t* buffer, int32_t length) override;

    // A blob counts its entries in one byte.
    static constexpr int32_t kMaxStoredEntries = 255;

private:
    std::vector<CQzUSM> entries_;
};
