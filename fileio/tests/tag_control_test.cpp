#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fileio/tests/fileio_fixture.h"

using fileio_test::Cause;
using fileio_test::Store;

TEST(TagStore, EdgeCasesOfAddGetAndSet)
{
    Store s;
    EXPECT_EQ(1409, Cause(s->AddTag(0x100)));
    EXPECT_EQ(1409, Cause(s->AddTag(0x20019)));
    s.SetText(0x10F, "Korva");
    EXPECT_EQ(0, Cause(s->AddTag(0x10F)));
    EXPECT_EQ("Korva", s.Text(0x10F));

    ASSERT_EQ(0, Cause(s->AddTag(0x9000)));
    EXPECT_EQ(0u, s->GetTagSize(0x9000, 0));
    EXPECT_EQ(0, Cause(s->GetTagValue(0x9000, kTagTypeBytes, 0, nullptr, 0)));

    uint32_t orientation = 6;
    ASSERT_EQ(0, Cause(s->AddTag(0x112)));
    ASSERT_EQ(0, Cause(s->SetTagValue(0x112, kTagTypeLongs, 4, &orientation, 0)));
    uint8_t small[8] = {};
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x112, kTagTypeLongs, 2, small, 0)));
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x112, kTagTypeLongs, 8, small, 0)));
    EXPECT_EQ(1014, Cause(s->SetTagValue(0x112, kTagTypeLongs, 6, small, 0)));
    EXPECT_EQ(1001, Cause(s->SetTagValue(0x829A, kTagTypeDoubles, 8, small, 0)));
    ASSERT_EQ(0, Cause(s->AddTag(0x829A)));
    EXPECT_EQ(1014, Cause(s->SetTagValue(0x829A, kTagTypeDoubles, 12, small, 0)));

    // A byte block takes any buffer large enough, keeps its content on 0 bytes,
    // and takes a new type code on set.
    char big[32] = {};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x10F, kTagTypeText, sizeof big, big, 0)));
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x10F, kTagTypeText, 3, big, 0)));
    EXPECT_EQ(0, Cause(s->SetTagValue(0x10F, kTagTypeText, 0, nullptr, 0)));
    EXPECT_EQ("Korva", s.Text(0x10F));
    ASSERT_EQ(0, Cause(s->SetTagValue(0x10F, 0x10, 3, "JIS", 0)));
    EXPECT_EQ(0x10u, s->GetTagType(0x10F, 0));

    EXPECT_EQ(1001, Cause(s->GetTagValue(0x110, kTagTypeText, 0, nullptr, 0)));
    EXPECT_EQ(1001, Cause(s->SetTagValue(0x110, kTagTypeText, 1, "", 0)));
    EXPECT_EQ(0, Cause(s->RemoveTag(0x110, 0)));
    EXPECT_EQ(0, Cause(s->RemoveTag(0x110, 42)));
}

TEST(TagStore, GroupsOfUnknownTags)
{
    Store s;
    struct Case { uint32_t type; uint32_t group; int32_t error; } cases[] = {
        {6, 1, 1409}, {11, 1, 1409}, {0, 1, 1409}, {3, 0, 1014}, {3, 10, 1014}, {3, 1, 0}, {10, 9, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.error, Cause(s->AddUkTag(0x1234, c.type, c.group))) << c.type << " in " << c.group;

    tagStrTagInfo info[2] = {};
    EXPECT_EQ(1001, Cause(s->GetTagInfo(info, 0, 4)));
    EXPECT_EQ(1014, Cause(s->GetTagInfo(info, 0, 1)));
    ASSERT_EQ(0, Cause(s->AddUkTag(0x0010, 4, 1)));
    ASSERT_EQ(0, Cause(s->GetTagInfo(info, 2, 1)));
    EXPECT_EQ(0x0010u, info[0].tag);
    EXPECT_EQ(0x1234u, info[1].tag);
    EXPECT_EQ(3u, info[1].type);
    EXPECT_EQ(1001, Cause(s->GetTagInfo(info, 2, 10)));
    EXPECT_EQ(0u, s->GetTagCount(10));
}

TEST(TagStore, ProfilePathHoldsAtMost259Characters)
{
    Store s;
    ASSERT_EQ(0, Cause(s->AddTag(0x8773)));
    std::string path(259, 'p');
    EXPECT_EQ(0, Cause(s->SetTagValue(0x8773, kTagTypeProfilePath, 260, path.c_str(), 0)));
    EXPECT_EQ(259u, s->GetTagSize(0x8773, 0));
    EXPECT_EQ(kTagTypeProfilePath, s->GetTagType(0x8773, 0));
    std::string longer(260, 'p');
    EXPECT_EQ(1014, Cause(s->SetTagValue(0x8773, kTagTypeProfilePath, 260, longer.c_str(), 0)));
    EXPECT_EQ(1014, Cause(s->SetTagValue(0x8773, kTagTypeText, 4, "abcd", 0)));
    char out[260] = {};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x8773, kTagTypeProfilePath, 260, out, 0)));
    EXPECT_EQ(path, out);
}

namespace {
std::vector<uint8_t> Dataset(uint8_t number, const std::string& text)
{
    std::vector<uint8_t> d(5 + text.size());
    const uint8_t header[5] = {0x1C, 2, number, static_cast<uint8_t>(text.size() >> 8), static_cast<uint8_t>(text.size())};
    std::copy(header, header + 5, d.begin());
    std::copy(text.begin(), text.end(), d.begin() + 5);
    return d;
}

void SetIptcBlock(Store& s, std::vector<uint8_t> block)
{
    ASSERT_EQ(0, Cause(s->AddTag(0x83BB)));
    TagItemRequest request{1, static_cast<uint32_t>(block.size()), block.data()};
    ASSERT_EQ(0, Cause(s->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
}

std::vector<uint8_t> IptcBlock(const Store& s)
{
    TagItemRequest request{1, 0, nullptr};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    std::vector<uint8_t> block(request.size);
    request.data = block.data();
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    return block;
}

std::string Caption(const Store& s)
{
    TagItemRequest request{kTagIptcCaption, 0, nullptr};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    std::vector<char> text(request.size);
    request.data = text.data();
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    return text.data();
}

std::vector<std::string> Keywords(const Store& s)
{
    IptcKeywordRequest keyword{0xFFFFFFFFu, 0, nullptr};
    TagItemRequest request{kTagIptcKeywords, sizeof keyword, &keyword};
    EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    std::vector<std::string> out;
    for (uint32_t i = 0, n = keyword.index; i < n; ++i) {
        keyword = {i, 0, nullptr};
        EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
        std::vector<char> text(keyword.size);
        keyword.data = text.data();
        EXPECT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
        out.push_back(text.data());
    }
    return out;
}

IVorlatError* SetKeyword(Store& s, uint32_t index, const char* text)
{
    IptcKeywordRequest keyword{index, text ? static_cast<uint32_t>(std::strlen(text) + 1) : 0, const_cast<char*>(text)};
    TagItemRequest request{kTagIptcKeywords, sizeof keyword, &keyword};
    return s->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0);
}

IVorlatError* SetCaption(Store& s, const std::string& text)
{
    TagItemRequest request{kTagIptcCaption, static_cast<uint32_t>(text.size() + 1), const_cast<char*>(text.c_str())};
    return s->SetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0);
}
} // namespace

TEST(IptcContainer, CaptionAndKeywordsFollowTheBlock)
{
    Store s;
    std::vector<uint8_t> block = Dataset(120, "first");
    for (auto part : {Dataset(25, "sky"), Dataset(25, ""), Dataset(5, "title"), Dataset(120, "second")})
        block.insert(block.end(), part.begin(), part.end());
    SetIptcBlock(s, block);
    EXPECT_EQ("second", Caption(s));
    EXPECT_EQ(std::vector<std::string>{"sky"}, Keywords(s));

    // Setting the caption replaces the first dataset and lets no later one win.
    ASSERT_EQ(0, Cause(SetCaption(s, "new")));
    EXPECT_EQ("new", Caption(s));
    Store copy;
    SetIptcBlock(copy, IptcBlock(s));
    EXPECT_EQ("new", Caption(copy));
    std::vector<uint8_t> now = IptcBlock(s);
    std::vector<uint8_t> expectStart = Dataset(120, "new");
    EXPECT_TRUE(std::equal(expectStart.begin(), expectStart.end(), now.begin()));

    // Keyword indices count the non-empty Keywords datasets.
    ASSERT_EQ(0, Cause(SetKeyword(s, 0, "sea")));
    ASSERT_EQ(0, Cause(SetKeyword(s, 1, "sun")));
    EXPECT_EQ((std::vector<std::string>{"sea", "sun"}), Keywords(s));
    ASSERT_EQ(0, Cause(SetKeyword(s, 0, nullptr)));
    EXPECT_EQ(std::vector<std::string>{"sun"}, Keywords(s));
    EXPECT_EQ(1014, Cause(SetKeyword(s, 5, nullptr)));
    EXPECT_EQ(1014, Cause(SetKeyword(s, 0xFFFFFFFFu, nullptr)));
    std::string huge(32768, 'x');
    EXPECT_EQ(1014, Cause(SetCaption(s, huge)));
    EXPECT_EQ(1014, Cause(SetKeyword(s, 9, huge.c_str())));
}

TEST(IptcContainer, NewKeywordGoesToTheEndOfTheRecord)
{
    Store s;
    SetIptcBlock(s, Dataset(5, "title"));
    ASSERT_EQ(0, Cause(SetKeyword(s, 0, "abc")));
    std::vector<uint8_t> expect = Dataset(5, "title");
    const uint8_t dataset[] = {0x1C, 0x02, 0x19, 0x00, 0x03, 'a', 'b', 'c'};
    expect.insert(expect.end(), dataset, dataset + 8);
    EXPECT_EQ(expect, IptcBlock(s));
}

TEST(IptcContainer, MalformedDatasetsEndTheWalkButStayInTheBlock)
{
    struct Case { std::vector<uint8_t> tail; } cases[] = {
        {{0x1D, 2, 25, 0, 1, 'x'}},                     // not a marker
        {{0x1C, 2, 25, 0x80, 0x00, 'x'}},               // extended length of 0 bytes
        {{0x1C, 2, 25, 0x80, 0x05, 0, 0, 0, 0, 1, 'x'}}, // 5 bytes of length
        {{0x1C, 2, 25, 0x7F, 0xFF, 'x'}},               // passes the block's end
        {{0x1C, 2, 25, 0x80, 0x04, 0xFF, 0xFF, 0xFF, 0xFF}},
        {{0x1C, 2}},
    };
    for (const Case& c : cases) {
        Store s;
        std::vector<uint8_t> block = Dataset(25, "ok");
        block.insert(block.end(), c.tail.begin(), c.tail.end());
        SetIptcBlock(s, block);
        EXPECT_EQ(std::vector<std::string>{"ok"}, Keywords(s));
        EXPECT_EQ(block, IptcBlock(s));
    }
}

TEST(IptcContainer, RequestsOutsideTheRulesFail)
{
    Store s;
    SetIptcBlock(s, Dataset(25, "k"));
    uint32_t items[4] = {};
    TagItemRequest request{0, 16, items};
    ASSERT_EQ(0, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    EXPECT_EQ(0x20019u, items[3]);
    request.size = 12;
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    request = {7, 0, nullptr};
    EXPECT_EQ(1013, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeBytes, sizeof request, &request, 0)));
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, 8, &request, 0)));
    char caption[4];
    request = {kTagIptcCaption, 4, caption};
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    IptcKeywordRequest keyword{1, 0, nullptr};
    request = {kTagIptcKeywords, sizeof keyword, &keyword};
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
    char one[1];
    keyword = {0, 1, one};
    EXPECT_EQ(1014, Cause(s->GetTagValue(0x83BB, kTagTypeIptc, sizeof request, &request, 0)));
}

TEST(TagStore, CopyFromCarriesEveryGroupAndSkipsEmptyContainers)
{
    Store from;
    from.SetText(0x10F, "Korva");
    from.SetDoubles(0x829A, {0.004});
    from.SetBytes(0x9286, kTagTypeUnicodeText, {'h', 0, 'i', 0});
    from.SetBytes(0x4242, 3, {1, 0, 2, 0}, 2);
    from.SetBytes(0x0010, 7, {9}, 3);
    ASSERT_EQ(0, Cause(from->AddTag(0x83BB)));  // an IPTC container without a block
    ASSERT_EQ(0, Cause(from->AddTag(0x80E00)));
    uint32_t record[37];
    for (uint32_t i = 0; i < 37; ++i)
        record[i] = i * 3;
    TagItemRequest request{1, sizeof record, record};
    ASSERT_EQ(0, Cause(from->SetTagValue(0x80E00, kTagTypeBlock, sizeof request, &request, 0)));

    Store to;
    to.SetText(0x110, "stays");
    ASSERT_EQ(0, Cause(to->CopyFrom(from.tags)));
    EXPECT_EQ("Korva", to.Text(0x10F));
    EXPECT_EQ("stays", to.Text(0x110));
    EXPECT_EQ(std::vector<double>{0.004}, to.Doubles(0x829A));
    EXPECT_EQ(kTagTypeUnicodeText, to->GetTagType(0x9286, 0));
    EXPECT_EQ((std::vector<uint8_t>{1, 0, 2, 0}), to.Bytes(0x4242, 2));
    EXPECT_EQ(7u, to->GetTagType(0x0010, 3));
    EXPECT_FALSE(to->IsExist(0x83BB, 0));
    uint32_t back[37] = {};
    request = {1, sizeof back, back};
    ASSERT_EQ(0, Cause(to->GetTagValue(0x80E00, kTagTypeBlock, sizeof request, &request, 0)));
    EXPECT_EQ(0, std::memcmp(record, back, sizeof back));
}
