#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "Vorlat/VorlatState.h"

namespace {

TEST(State, IntegersAreBigEndian)
{
    unsigned char buffer[64] = {};
    unsigned char* cursor = buffer;
    int32_t left = sizeof buffer, done = 0;
    ASSERT_TRUE(IVorlatState::StoreLong(0x01020304, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreRect(RECT{1, 2, 3, 4}, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreShort(-2, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreDword(0xA0B0C0D0u, &cursor, &left, &done));
    const unsigned char expected[] = {1, 2, 3, 4, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 4,
                                      0xFF, 0xFE, 0xA0, 0xB0, 0xC0, 0xD0};
    EXPECT_EQ(done, static_cast<int32_t>(sizeof expected));
    EXPECT_EQ(left, static_cast<int32_t>(sizeof buffer - sizeof expected));
    EXPECT_EQ(std::memcmp(buffer, expected, sizeof expected), 0);
}

TEST(State, RefusesWithoutRoomAndTouchesNothing)
{
    unsigned char buffer[1] = {0x55};
    unsigned char* cursor = buffer;
    int32_t left = 1, done = 7;
    EXPECT_FALSE(IVorlatState::StoreShort(1, &cursor, &left, &done));
    int32_t value = 0;
    EXPECT_FALSE(IVorlatState::RetrieveLong(&value, &cursor, &left, &done));
    EXPECT_EQ(cursor, buffer);
    EXPECT_EQ(left, 1);
    EXPECT_EQ(done, 7);
    EXPECT_EQ(buffer[0], 0x55);
}

TEST(State, EveryTypeRoundTrips)
{
    unsigned char buffer[128];
    unsigned char* cursor = buffer;
    int32_t left = sizeof buffer, done = 0;
    VorlatClassID id{};
    for (int i = 0; i < 16; ++i)
        id.bytes[i] = static_cast<uint8_t>(i * 7);
    ASSERT_TRUE(IVorlatState::StoreBool(true, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreChar('q', &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreByte(200, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreWord(0xBEEF, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreLong(-123456, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreDouble(-2.75, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreClassID(id, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::StoreRect(RECT{-1, -2, 30000, 40000}, &cursor, &left, &done));
    const int32_t sizes = IVorlatState::SizeofBool() + IVorlatState::SizeofChar() + IVorlatState::SizeofByte() +
                          IVorlatState::SizeofWord() + IVorlatState::SizeofLong() + IVorlatState::SizeofDouble() +
                          IVorlatState::SizeofClassID() + IVorlatState::SizeofRect();
    EXPECT_EQ(done, sizes);
    // Doubles lie as in memory, least significant byte first.
    double stored = 0;
    std::memcpy(&stored, buffer + 9, 8);
    EXPECT_EQ(stored, -2.75);

    cursor = buffer;
    left = done;
    done = 0;
    bool b = false;
    char c = 0;
    unsigned char by = 0;
    uint16_t w = 0;
    int32_t l = 0;
    double d = 0;
    VorlatClassID id2{};
    RECT r{};
    ASSERT_TRUE(IVorlatState::RetrieveBool(&b, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveChar(&c, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveByte(&by, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveWord(&w, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveLong(&l, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveDouble(&d, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveClassID(&id2, &cursor, &left, &done));
    ASSERT_TRUE(IVorlatState::RetrieveRect(&r, &cursor, &left, &done));
    EXPECT_TRUE(b);
    EXPECT_EQ(c, 'q');
    EXPECT_EQ(by, 200);
    EXPECT_EQ(w, 0xBEEF);
    EXPECT_EQ(l, -123456);
    EXPECT_EQ(d, -2.75);
    EXPECT_TRUE(id == id2);
    EXPECT_EQ(r.left, -1);
    EXPECT_EQ(r.bottom, 40000);
    EXPECT_EQ(left, 0);
}

TEST(State, AnyNonZeroByteReadsAsTrue)
{
    unsigned char byte = 0x7F;
    unsigned char* cursor = &byte;
    int32_t left = 1, done = 0;
    bool value = false;
    ASSERT_TRUE(IVorlatState::RetrieveBool(&value, &cursor, &left, &done));
    EXPECT_TRUE(value);
}

} // namespace
