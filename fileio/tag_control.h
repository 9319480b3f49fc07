// The concrete tag store.
#pragma once

#include <map>
#include <memory>

#include "fileio/VorlatTagControl.h"
#include "fileio/tag_values.h"

class CVorlatTagControl : public IVorlatTagControl {
public:
    static constexpr uint32_t kGroups = 10;

    void Destroy() override;
    uint32_t GetTagCount(uint32_t group) const override;
    IVorlatError* GetTagInfo(tagStrTagInfo* out, uint32_t count, uint32_t group) const override;
    uint32_t GetTagType(TagId tag, uint32_t group) const override;
    uint32_t GetTagSize(TagId tag, uint32_t group) const override;
    IVorlatError* GetTagValue(TagId tag, uint32_t type, uint32_t bytes, void* buffer, uint32_t group) const override;
    IVorlatError* SetTagValue(TagId tag, uint32_t type, uint32_t bytes, const void* buffer, uint32_t group) override;
    IVorlatError* AddTag(TagId tag) override;
    IVorlatError* AddUkTag(TagId tag, uint32_t fieldType, uint32_t group) override;
    IVorlatError* RemoveTag(TagId tag, uint32_t group) override;
    bool IsExist(TagId tag, uint32_t group) const override;
    IVorlatError* CopyFrom(const IVorlatTagControl* other) override;
    void RemoveAll() override;

    // The value object itself, for codecs inside the library; null when missing.
    const CVorlatTagValue* FindValue(TagId tag, uint32_t group) const;

protected:
    ~CVorlatTagControl() override;

private:
    using Group = std::map<TagId, std::unique_ptr<CVorlatTagValue>>;

    Group* FindGroup(uint32_t group);
    const Group* FindGroup(uint32_t group) const;

    std::unique_ptr<Group> groups_[kGroups];
};
