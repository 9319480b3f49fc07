// The cursors that every settings blob is written and read with: little-endian,
// packed, a field written only when the buffer reaches its end and read only
// when the given length covers it, the position moving on either way. Positions
// are 64-bit so that no declared size can wrap them.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "app/core/settings/class_ids.h"

namespace qz {

class BlobWriter {
public:
    BlobWriter(uint8_t* buffer, int32_t length)
        : buffer_(buffer), length_(buffer && length > 0 ? static_cast<uint64_t>(length) : 0)
    {
    }

    template <class T>
    void Put(T value)
    {
        static_assert(std::is_arithmetic_v<T>);
        uint8_t bytes[sizeof(T)];
        if constexpr (std::is_floating_point_v<T>) {
            static_assert(sizeof(T) == 8);
            uint64_t bits;
            std::memcpy(&bits, &value, 8);
            Encode(bits, bytes);
        } else {
            Encode(static_cast<std::make_unsigned_t<T>>(value), bytes);
        }
        PutBytes(bytes, sizeof(T));
    }

    void PutId(const ClassId& id) { PutBytes(id.bytes, sizeof id.bytes); }

    void PutBytes(const void* data, uint64_t size)
    {
        if (uint8_t* target = Claim(size))
            std::memcpy(target, data, size);
    }

    // Room for `size` bytes at the position when they all fit (the caller
    // fills them), else null; the position moves on by `size` either way.
    uint8_t* Claim(uint64_t size)
    {
        uint8_t* target = nullptr;
        if (position_ + size <= length_) {
            target = buffer_ + position_;
            if (size)
                writtenEnd_ = position_ + size;
        }
        position_ += size;
        return target;
    }

    uint64_t Position() const { return position_; }
    // Bytes left after the position (0 when none).
    uint64_t Remaining() const { return position_ < length_ ? length_ - position_ : 0; }

    // The u32 length field at `at`: bytes from it to the end of what was
    // written, filled in only when something was written after it.
    void FinishLength(uint64_t at)
    {
        if (writtenEnd_ > at + 4) {
            uint8_t bytes[4];
            Encode(static_cast<uint32_t>(writtenEnd_ - at), bytes);
            std::memcpy(buffer_ + at, bytes, 4);
        }
    }

    int32_t Answer() const { return static_cast<int32_t>(position_); }

private:
    template <class U>
    static void Encode(U value, uint8_t* bytes)
    {
        for (size_t i = 0; i < sizeof(U); ++i)
            bytes[i] = static_cast<uint8_t>(static_cast<uint64_t>(value) >> (8 * i));
    }

    uint8_t* buffer_;
    uint64_t length_;
    uint64_t position_ = 0;
    uint64_t writtenEnd_ = 0;
};

class BlobReader {
public:
    BlobReader(const uint8_t* buffer, int32_t length)
        : buffer_(buffer), length_(buffer && length > 0 ? static_cast<uint64_t>(length) : 0)
    {
    }

    // Reads the field at the position into `value` when the length covers it
    // (else `value` keeps what it held); the position moves on either way.
    template <class T>
    bool Get(T& value)
    {
        static_assert(std::is_arithmetic_v<T>);
        const uint8_t* bytes = Take(sizeof(T));
        if (!bytes)
            return false;
        uint64_t bits = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            bits |= static_cast<uint64_t>(bytes[i]) << (8 * i);
        if constexpr (std::is_floating_point_v<T>) {
            static_assert(sizeof(T) == 8);
            std::memcpy(&value, &bits, 8);
        } else {
            value = static_cast<T>(static_cast<std::make_unsigned_t<T>>(bits));
        }
        return true;
    }

    // The next `size` bytes when covered, else null; the position moves on.
    const uint8_t* Take(uint64_t size)
    {
        const uint8_t* data = Covers(size) ? buffer_ + position_ : nullptr;
        position_ += size;
        return data;
    }

    bool Covers(uint64_t size) const { return position_ + size <= length_; }
    uint64_t Position() const { return position_; }
    uint64_t Remaining() const { return position_ < length_ ? length_ - position_ : 0; }
    const uint8_t* Here() const { return buffer_ + position_; }
    void Skip(uint64_t size) { position_ += size; }
    void Seek(uint64_t position) { position_ = position; }

private:
    const uint8_t* buffer_;
    uint64_t length_;
    uint64_t position_ = 0;
};

// Reads at least a class id: a blob that is null or shorter is refused by every reader.
inline bool StartsWith(const uint8_t* buffer, int32_t length, const ClassId& id)
{
    return buffer && length >= 16 && id.Matches(buffer);
}

}  // namespace qz
