#include "fileio/tag_control.h"

#include <vector>

#include "fileio/quarnite_error.h"
#include "fileio/tag_table.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcExported;
using namespace quarnite;

std::unique_ptr<CVorlatTagValue> MakeValue(const TagTableEntry& entry)
{
    switch (entry.kind) {
    case TagClass::Bytes: return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagBytes(entry.id, entry.type));
    case TagClass::Longs: return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagLongs(entry.id, entry.type));
    case TagClass::Rationals:
        return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagRationals(entry.id, entry.type));
    case TagClass::Profile:
        return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagProfile(entry.id, entry.type));
    case TagClass::Iptc: return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagIptc(entry.id, entry.type));
    case TagClass::Block: return std::unique_ptr<CVorlatTagValue>(new (std::nothrow) CVorlatTagBlock(entry.id, entry.type));
    }
    return nullptr;
}

bool AcceptedFieldType(uint32_t type) { return (type >= 1 && type <= 5) || (type >= 7 && type <= 10); }
} // namespace

IVorlatTagControl::~IVorlatTagControl() = default;

IVorlatError* IVorlatTagControl::CreateTagControl(IVorlatTagControl** out)
{
    if (!out)
        return QZ_FAIL(kErrBadArgument);
    *out = new (std::nothrow) CVorlatTagControl;
    return *out ? nullptr : QZ_FAIL(kErrAllocation);
}

CVorlatTagControl::~CVorlatTagControl() { RemoveAll(); }

void CVorlatTagControl::Destroy() { delete this; }

CVorlatTagControl::Group* CVorlatTagControl::FindGroup(uint32_t group)
{
    return group < kGroups ? groups_[group].get() : nullptr;
}

const CVorlatTagControl::Group* CVorlatTagControl::FindGroup(uint32_t group) const
{
    return group < kGroups ? groups_[group].get() : nullptr;
}

const CVorlatTagValue* CVorlatTagControl::FindValue(TagId tag, uint32_t group) const
{
    const Group* found = FindGroup(group);
    if (!found)
        return nullptr;
    auto it = found->find(tag);
    return it == found->end() ? nullptr : it->second.get();
}

uint32_t CVorlatTagControl::GetTagCount(uint32_t group) const
{
    const Group* found = FindGroup(group);
    return found ? static_cast<uint32_t>(found->size()) : 0;
}

IVorlatError* CVorlatTagControl::GetTagInfo(tagStrTagInfo* out, uint32_t count, uint32_t group) const
{
    const Group* found = FindGroup(group);
    if (!found)
        return QZ_FAIL(kErrNoSuchTag);
    if (count != found->size() || (count && !out))
        return QZ_FAIL(kErrBadArgument);
    for (const auto& [id, value] : *found)
        *out++ = tagStrTagInfo{id, value->Type()};
    return nullptr;
}

uint32_t CVorlatTagControl::GetTagType(TagId tag, uint32_t group) const
{
    const CVorlatTagValue* value = FindValue(tag, group);
    return value ? value->Type() : 0;
}

uint32_t CVorlatTagControl::GetTagSize(TagId tag, uint32_t group) const
{
    const CVorlatTagValue* value = FindValue(tag, group);
    return value ? value->GetSize() : 0;
}

IVorlatError* CVorlatTagControl::GetTagValue(TagId tag, uint32_t type, uint32_t bytes, void* buffer,
                                             uint32_t group) const
{
    const CVorlatTagValue* value = FindValue(tag, group);
    if (!value)
        return QZ_FAIL(kErrNoSuchTag);
    return QZ_WRAP(value->Get(type, bytes, buffer));
}

IVorlatError* CVorlatTagControl::SetTagValue(TagId tag, uint32_t type, uint32_t bytes, const void* buffer,
                                             uint32_t group)
{
    CVorlatTagValue* value = const_cast<CVorlatTagValue*>(FindValue(tag, group));
    if (!value)
        return QZ_FAIL(kErrNoSuchTag);
    return QZ_WRAP(value->Set(type, bytes, buffer));
}

IVorlatError* CVorlatTagControl::AddTag(TagId tag)
{
    const TagTableEntry* entry = FindTagTableEntry(tag);
    if (!entry)
        return QZ_FAIL(kErrUnknownTag);
    if (IsExist(tag, 0))
        return nullptr;
    try {
        if (!groups_[0])
            groups_[0] = std::make_unique<Group>();
        std::unique_ptr<CVorlatTagValue> value = MakeValue(*entry);
        if (!value)
            return QZ_FAIL(kErrAllocation);
        groups_[0]->emplace(tag, std::move(value));
    } catch (const std::bad_alloc&) {
        return QZ_FAIL(kErrAllocation);
    }
    return nullptr;
}

IVorlatError* CVorlatTagControl::AddUkTag(TagId tag, uint32_t fieldType, uint32_t group)
{
    if (group == 0 || group >= kGroups)
        return QZ_FAIL(kErrBadArgument);
    if (IsExist(tag, group))
        return nullptr;
    if (!AcceptedFieldType(fieldType))
        return QZ_FAIL(kErrUnknownTag);
    try {
        if (!groups_[group])
            groups_[group] = std::make_unique<Group>();
        std::unique_ptr<CVorlatTagValue> value(new (std::nothrow) CVorlatTagBytes(tag, fieldType));
        if (!value)
            return QZ_FAIL(kErrAllocation);
        groups_[group]->emplace(tag, std::move(value));
    } catch (const std::bad_alloc&) {
        return QZ_FAIL(kErrAllocation);
    }
    return nullptr;
}

IVorlatError* CVorlatTagControl::RemoveTag(TagId tag, uint32_t group)
{
    if (Group* found = FindGroup(group))
        found->erase(tag);
    return nullptr;
}

bool CVorlatTagControl::IsExist(TagId tag, uint32_t group) const { return FindValue(tag, group) != nullptr; }

void CVorlatTagControl::RemoveAll()
{
    for (auto& group : groups_)
        group.reset();
}

IVorlatError* CVorlatTagControl::CopyFrom(const IVorlatTagControl* other)
{
    if (!other)
        return QZ_FAIL(kErrBadArgument);
    if (other == this)
        return nullptr;
    std::vector<uint8_t> scratch;
    std::vector<tagStrTagInfo> infos;
    for (uint32_t group = 0; group < kGroups; ++group) {
        uint32_t count = other->GetTagCount(group);
        if (count == 0)
            continue;
        if (!TryResize(infos, count))
            return QZ_FAIL(kErrAllocation);
        if (IVorlatError* err = other->GetTagInfo(infos.data(), count, group))
            return QZ_WRAP(err);
        for (const tagStrTagInfo& info : infos) {
            if (group == 0 && (info.type == kTagTypeIptc || info.type == kTagTypeBlock)) {
                TagItemRequest request{1, 0, nullptr};
                if (IVorlatError* err = other->GetTagValue(info.tag, info.type, sizeof request, &request, 0))
                    return QZ_WRAP(err);
                if (request.size == 0)
                    continue;
                if (!TryResize(scratch, request.size))
                    return QZ_FAIL(kErrAllocation);
                request.data = scratch.data();
                if (IVorlatError* err = other->GetTagValue(info.tag, info.type, sizeof request, &request, 0))
                    return QZ_WRAP(err);
                if (IVorlatError* err = AddTag(info.tag))
                    return QZ_WRAP(err);
                if (IVorlatError* err = SetTagValue(info.tag, info.type, sizeof request, &request, 0))
                    return QZ_WRAP(err);
                continue;
            }
            uint32_t size = other->GetTagSize(info.tag, group);
            if (!TryResize(scratch, size == 0 ? 1 : size))
                return QZ_FAIL(kErrAllocation);
            if (IVorlatError* err = other->GetTagValue(info.tag, info.type, size, scratch.data(), group))
                return QZ_WRAP(err);
            IVorlatError* added = group == 0 ? AddTag(info.tag) : AddUkTag(info.tag, info.type, group);
            if (added)
                return QZ_WRAP(added);
            if (IVorlatError* err = SetTagValue(info.tag, info.type, size, scratch.data(), group))
                return QZ_WRAP(err);
        }
    }
    return nullptr;
}
