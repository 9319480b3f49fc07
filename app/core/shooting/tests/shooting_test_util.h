// A tag store for the shooting table tests, freed at the end of the scope.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "Vorlat/VorlatError.h"
#include "app/core/text/string_resource.h"
#include "fileio/VorlatTagControl.h"

namespace shooting_test {

#if !defined(_WIN32)
// The labels as the programs' string tables hold them (the Windows test
// program carries them as resources), installed for every test.
class LabelTable : public ::testing::Environment {
public:
    void SetUp() override { qz::SetStringTable(&table_); }
    void TearDown() override { qz::SetStringTable(nullptr); }

private:
    const std::map<uint32_t, std::string> table_ = {
#define SHOOTING_LABEL(index, id, text) {qz::id, text},
#include "app/core/shooting/shooting_labels.inc"
#undef SHOOTING_LABEL
    };
};
inline ::testing::Environment* const kLabelTable = ::testing::AddGlobalTestEnvironment(new LabelTable);
#endif

inline int32_t Cause(IVorlatError* error)
{
    if (!error)
        return 0;
    const int32_t value = error->GetDeepestValue();
    error->Destroy();
    return value ? value : -1;
}

struct Tags {
    IVorlatTagControl* tags = nullptr;
    Tags() { EXPECT_EQ(0, Cause(IVorlatTagControl::CreateTagControl(&tags))); }
    ~Tags() { tags->Destroy(); }
    Tags(const Tags&) = delete;
    Tags& operator=(const Tags&) = delete;

    void Set(TagId tag, uint32_t type, const void* data, uint32_t bytes)
    {
        if (!tags->IsExist(tag, 0)) {
            ASSERT_EQ(0, Cause(tags->AddTag(tag))) << std::hex << tag;
        }
        ASSERT_EQ(0, Cause(tags->SetTagValue(tag, type, bytes, data, 0))) << std::hex << tag;
    }
    void Long(TagId tag, int32_t value) { Set(tag, kTagTypeLongs, &value, 4); }
    void Text(TagId tag, const char* text) { Set(tag, kTagTypeText, text, static_cast<uint32_t>(std::strlen(text) + 1)); }
    void Doubles(TagId tag, std::initializer_list<double> values)
    {
        double v[4] = {};
        std::copy(values.begin(), values.end(), v);
        Set(tag, values.size() == 4 ? kTagTypeLensRange : kTagTypeDoubles, v, static_cast<uint32_t>(8 * values.size()));
    }
    void Triple(TagId tag, int16_t a, int16_t b, int16_t c)
    {
        const int16_t v[3] = {a, b, c};
        Set(tag, kTagTypeTriples, v, sizeof v);
    }
    void Pair(TagId tag, uint16_t a, uint16_t b)
    {
        const uint16_t v[2] = {a, b};
        Set(tag, kTagTypeIsoPair, v, sizeof v);
    }
};

}  // namespace shooting_test
