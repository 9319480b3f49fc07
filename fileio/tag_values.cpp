#include "fileio/tag_values.h"

#include <cstring>

#include "fileio/quarnite_error.h"

namespace {
constexpr int32_t kSourceId = quarnite::kSrcValues;
using namespace quarnite;

IVorlatError* CopyIn(std::vector<uint8_t>& to, uint32_t bytes, const void* buffer)
{
    if (bytes && !buffer)
        return QZ_FAIL(kErrBadArgument);
    std::vector<uint8_t> copy;
    if (!TryResize(copy, bytes))
        return QZ_FAIL(kErrAllocation);
    if (bytes)
        std::memcpy(copy.data(), buffer, bytes);
    to.swap(copy);
    return nullptr;
}

// Copies `bytes` to the caller when the buffer is large enough.
IVorlatError* CopyOut(const void* from, uint32_t size, uint32_t bytes, void* buffer)
{
    if (bytes < size || (size && !buffer))
        return QZ_FAIL(kErrBadArgument);
    if (size)
        std::memcpy(buffer, from, size);
    return nullptr;
}
} // namespace

IVorlatError* CVorlatTagBytes::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (type != type_)
        return QZ_FAIL(kErrBadArgument);
    return CopyOut(bytes_.data(), GetSize(), bytes, buffer);
}

IVorlatError* CVorlatTagBytes::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    if (bytes == 0)
        return nullptr;
    if (IVorlatError* err = CopyIn(bytes_, bytes, buffer))
        return err;
    type_ = type;
    return nullptr;
}

IVorlatError* CVorlatTagLongs::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (type != kTagTypeLongs || bytes != GetSize())
        return QZ_FAIL(kErrBadArgument);
    return CopyOut(bytes_.data(), GetSize(), bytes, buffer);
}

IVorlatError* CVorlatTagLongs::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    if (type != kTagTypeLongs || bytes % 4 != 0)
        return QZ_FAIL(kErrBadArgument);
    return CopyIn(bytes_, bytes, buffer);
}

IVorlatError* CVorlatTagRationals::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (type != kTagTypeDoubles || bytes != GetSize())
        return QZ_FAIL(kErrBadArgument);
    return CopyOut(values_.data(), GetSize(), bytes, buffer);
}

IVorlatError* CVorlatTagRationals::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    if (type != kTagTypeDoubles || bytes % 8 != 0 || (bytes && !buffer))
        return QZ_FAIL(kErrBadArgument);
    std::vector<double> copy;
    if (!TryResize(copy, bytes / 8))
        return QZ_FAIL(kErrAllocation);
    if (bytes)
        std::memcpy(copy.data(), buffer, bytes);
    values_.swap(copy);
    return nullptr;
}

uint32_t CVorlatTagProfile::GetSize() const
{
    if (type_ == kTagTypeProfilePath)
        return static_cast<uint32_t>(strnlen(path_.path, sizeof path_.path));
    return static_cast<uint32_t>(bytes_.size());
}

IVorlatError* CVorlatTagProfile::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (type != type_)
        return QZ_FAIL(kErrBadArgument);
    if (type == kTagTypeProfilePath) {
        if (bytes < GetSize() || !buffer)
            return QZ_FAIL(kErrBadArgument);
        std::memcpy(buffer, path_.path, bytes < sizeof path_.path ? bytes : sizeof path_.path);
        return nullptr;
    }
    return CopyOut(bytes_.data(), GetSize(), bytes, buffer);
}

IVorlatError* CVorlatTagProfile::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    if (type == kTagTypeProfilePath) {
        if (!buffer || bytes > sizeof path_.path)
            return QZ_FAIL(kErrBadArgument);
        size_t length = strnlen(static_cast<const char*>(buffer), bytes);
        // 259 characters and the terminator: the longest path the record holds.
        if (length >= sizeof path_.path)
            return QZ_FAIL(kErrBadArgument);
        std::memset(path_.path, 0, sizeof path_.path);
        std::memcpy(path_.path, buffer, length);
        bytes_.clear();
        type_ = type;
        return nullptr;
    }
    if (type != kTagTypeBytes)
        return QZ_FAIL(kErrBadArgument);
    if (bytes == 0)
        return nullptr;
    if (IVorlatError* err = CopyIn(bytes_, bytes, buffer))
        return err;
    type_ = type;
    return nullptr;
}

namespace {

IVorlatError* CheckRequest(uint32_t type, uint32_t wanted, uint32_t bytes, const void* buffer)
{
    if (type != wanted || bytes != sizeof(TagItemRequest) || !buffer)
        return QZ_FAIL(kErrBadArgument);
    return nullptr;
}

// Item 0 of a container: the list of the items it serves.
IVorlatError* GetItemList(TagItemRequest* request, const uint32_t* items, uint32_t count)
{
    uint32_t size = count * 4;
    if (!request->data) {
        request->size = size;
        return nullptr;
    }
    if (request->size != size)
        return QZ_FAIL(kErrBadArgument);
    std::memcpy(request->data, items, size);
    return nullptr;
}

// A text handed out with its terminating zero; the size must say so exactly.
IVorlatError* GetText(const std::string& text, uint32_t* size, void* data, bool exact)
{
    uint32_t needed = static_cast<uint32_t>(text.size()) + 1;
    if (!data) {
        *size = needed;
        return nullptr;
    }
    if (exact ? *size != needed : *size < needed)
        return QZ_FAIL(kErrBadArgument);
    std::memcpy(data, text.c_str(), needed);
    return nullptr;
}

} // namespace

IVorlatError* CVorlatTagIptc::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (IVorlatError* err = CheckRequest(type, kTagTypeIptc, bytes, buffer))
        return err;
    auto* request = static_cast<TagItemRequest*>(buffer);
    switch (request->item) {
    case 0: {
        static const uint32_t kItems[] = {0, 1, kTagIptcCaption, kTagIptcKeywords};
        return GetItemList(request, kItems, 4);
    }
    case 1: {
        uint32_t size = static_cast<uint32_t>(record_.Block().size());
        if (!request->data) {
            request->size = size;
            return nullptr;
        }
        if (request->size < size)
            return QZ_FAIL(kErrBadArgument);
        if (size)
            std::memcpy(request->data, record_.Block().data(), size);
        request->size = size;
        return nullptr;
    }
    case kTagIptcCaption:
        return GetText(record_.Caption(), &request->size, request->data, true);
    case kTagIptcKeywords: {
        if (!request->data) {
            request->size = sizeof(IptcKeywordRequest);
            return nullptr;
        }
        if (request->size != sizeof(IptcKeywordRequest))
            return QZ_FAIL(kErrBadArgument);
        auto* keyword = static_cast<IptcKeywordRequest*>(request->data);
        const auto& keywords = record_.Keywords();
        if (keyword->index == 0xFFFFFFFFu) {
            keyword->index = static_cast<uint32_t>(keywords.size());
            return nullptr;
        }
        if (keyword->index >= keywords.size())
            return QZ_FAIL(kErrBadArgument);
        return GetText(keywords[keyword->index], &keyword->size, keyword->data, false);
    }
    default:
        return QZ_FAIL(kErrNoSuchItem);
    }
}

IVorlatError* CVorlatTagIptc::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    constexpr int32_t kSourceId = kSrcIptcStore;
    if (IVorlatError* err = CheckRequest(type, kTagTypeIptc, bytes, buffer))
        return err;
    const auto* request = static_cast<const TagItemRequest*>(buffer);
    switch (request->item) {
    case 1:
        if (request->size && !request->data)
            return QZ_FAIL(kErrBadArgument);
        return QZ_WRAP(record_.SetBlock(static_cast<const uint8_t*>(request->data), request->size));
    case kTagIptcCaption: {
        if (!request->data)
            return QZ_FAIL(kErrBadArgument);
        const char* text = static_cast<const char*>(request->data);
        return QZ_WRAP(record_.SetCaption(text, strnlen(text, request->size)));
    }
    case kTagIptcKeywords: {
        if (!request->data || request->size != sizeof(IptcKeywordRequest))
            return QZ_FAIL(kErrBadArgument);
        const auto* keyword = static_cast<const IptcKeywordRequest*>(request->data);
        const char* text = static_cast<const char*>(keyword->data);
        size_t length = text ? strnlen(text, keyword->size) : 0;
        return QZ_WRAP(record_.SetKeyword(keyword->index, text, length));
    }
    default:
        return QZ_FAIL(kErrNoSuchItem);
    }
}

IVorlatError* CVorlatTagBlock::Get(uint32_t type, uint32_t bytes, void* buffer) const
{
    if (IVorlatError* err = CheckRequest(type, kTagTypeBlock, bytes, buffer))
        return err;
    auto* request = static_cast<TagItemRequest*>(buffer);
    if (request->item == 0) {
        static const uint32_t kItems[] = {0, 1};
        return GetItemList(request, kItems, 2);
    }
    if (request->item != 1)
        return QZ_FAIL(kErrNoSuchItem);
    uint32_t size = static_cast<uint32_t>(block_.size());
    if (!request->data) {
        request->size = size;
        return nullptr;
    }
    if (request->size != size)
        return QZ_FAIL(kErrBadArgument);
    if (size)
        std::memcpy(request->data, block_.data(), size);
    return nullptr;
}

IVorlatError* CVorlatTagBlock::Set(uint32_t type, uint32_t bytes, const void* buffer)
{
    if (IVorlatError* err = CheckRequest(type, kTagTypeBlock, bytes, buffer))
        return err;
    const auto* request = static_cast<const TagItemRequest*>(buffer);
    if (request->item != 1)
        return QZ_FAIL(kErrNoSuchItem);
    return CopyIn(block_, request->size, request->data);
}
