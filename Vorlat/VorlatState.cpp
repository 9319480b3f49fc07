#include "Vorlat/VorlatState.h"

#include <cstring>

IVorlatState::~IVorlatState() = default;

namespace {

// Moves the cursor and both counts by n, or refuses when fewer than n bytes are left.
bool Take(int32_t n, unsigned char** cursor, int32_t* left, int32_t* done, unsigned char** at)
{
    if (*left < n)
        return false;
    *at = *cursor;
    *cursor += n;
    *left -= n;
    *done += n;
    return true;
}

void PutBigEndian(uint32_t value, int32_t bytes, unsigned char* at)
{
    for (int32_t i = bytes - 1; i >= 0; --i) {
        at[i] = static_cast<unsigned char>(value & 0xFF);
        value >>= 8;
    }
}

uint32_t GetBigEndian(int32_t bytes, const unsigned char* at)
{
    uint32_t value = 0;
    for (int32_t i = 0; i < bytes; ++i)
        value = (value << 8) | at[i];
    return value;
}

} // namespace

bool IVorlatState::StoreBool(bool value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *at = value ? 1 : 0;
    return true;
}

bool IVorlatState::StoreChar(char value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *at = static_cast<unsigned char>(value);
    return true;
}

bool IVorlatState::StoreByte(unsigned char value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *at = value;
    return true;
}

bool IVorlatState::StoreShort(int16_t value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    return StoreWord(static_cast<uint16_t>(value), cursor, left, done);
}

bool IVorlatState::StoreWord(uint16_t value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(2, cursor, left, done, &at))
        return false;
    PutBigEndian(value, 2, at);
    return true;
}

bool IVorlatState::StoreLong(int32_t value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    return StoreDword(static_cast<uint32_t>(value), cursor, left, done);
}

bool IVorlatState::StoreDword(uint32_t value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(4, cursor, left, done, &at))
        return false;
    PutBigEndian(value, 4, at);
    return true;
}

// Doubles go as they lie in memory, least significant byte first, unswapped.
bool IVorlatState::StoreDouble(double value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(8, cursor, left, done, &at))
        return false;
    std::memcpy(at, &value, 8);
    return true;
}

bool IVorlatState::StoreClassID(const VorlatClassID& value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(16, cursor, left, done, &at))
        return false;
    std::memcpy(at, value.bytes, 16);
    return true;
}

bool IVorlatState::StoreRect(const RECT& value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(16, cursor, left, done, &at))
        return false;
    PutBigEndian(static_cast<uint32_t>(value.left), 4, at);
    PutBigEndian(static_cast<uint32_t>(value.top), 4, at + 4);
    PutBigEndian(static_cast<uint32_t>(value.right), 4, at + 8);
    PutBigEndian(static_cast<uint32_t>(value.bottom), 4, at + 12);
    return true;
}

bool IVorlatState::RetrieveBool(bool* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *value = *at != 0;
    return true;
}

bool IVorlatState::RetrieveChar(char* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *value = static_cast<char>(*at);
    return true;
}

bool IVorlatState::RetrieveByte(unsigned char* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(1, cursor, left, done, &at))
        return false;
    *value = *at;
    return true;
}

bool IVorlatState::RetrieveShort(int16_t* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    uint16_t word = 0;
    if (!RetrieveWord(&word, cursor, left, done))
        return false;
    *value = static_cast<int16_t>(word);
    return true;
}

bool IVorlatState::RetrieveWord(uint16_t* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(2, cursor, left, done, &at))
        return false;
    *value = static_cast<uint16_t>(GetBigEndian(2, at));
    return true;
}

bool IVorlatState::RetrieveLong(int32_t* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    uint32_t dword = 0;
    if (!RetrieveDword(&dword, cursor, left, done))
        return false;
    *value = static_cast<int32_t>(dword);
    return true;
}

bool IVorlatState::RetrieveDword(uint32_t* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(4, cursor, left, done, &at))
        return false;
    *value = GetBigEndian(4, at);
    return true;
}

bool IVorlatState::RetrieveDouble(double* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(8, cursor, left, done, &at))
        return false;
    std::memcpy(value, at, 8);
    return true;
}

bool IVorlatState::RetrieveClassID(VorlatClassID* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(16, cursor, left, done, &at))
        return false;
    std::memcpy(value->bytes, at, 16);
    return true;
}

bool IVorlatState::RetrieveRect(RECT* value, unsigned char** cursor, int32_t* left, int32_t* done)
{
    unsigned char* at;
    if (!Take(16, cursor, left, done, &at))
        return false;
    value->left = static_cast<int32_t>(GetBigEndian(4, at));
    value->top = static_cast<int32_t>(GetBigEndian(4, at + 4));
    value->right = static_cast<int32_t>(GetBigEndian(4, at + 8));
    value->bottom = static_cast<int32_t>(GetBigEndian(4, at + 12));
    return true;
}
