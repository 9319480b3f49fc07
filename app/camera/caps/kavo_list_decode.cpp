#include "app/camera/caps/kavo_list_decode.h"

#include <cstring>
#include <string>

bool KavoBlockBytes(uint32_t count, uint32_t size, size_t* bytes)
{
    const uint64_t product = static_cast<uint64_t>(count) * size;
    if (product > kKavoMaxBlockBytes)
        return false;
    *bytes = static_cast<size_t>(product);
    return true;
}

bool DecodeKavoListValues(const KavoListRecord& header, const std::vector<uint8_t>& block, std::vector<uint32_t>* out)
{
    out->clear();
    const size_t stride = header.bytesPerElement;
    const size_t count = stride ? block.size() / stride : 0;
    switch (header.elementType) {
        case kKavoListBytes:
            for (size_t i = 0; i < count; ++i)
                out->push_back(block[i * stride]);
            return true;
        case kKavoListLongs:
        case kKavoListUlongs:
            if (count && stride < 4)
                return false;
            for (size_t i = 0; i < count; ++i) {
                uint32_t value;
                std::memcpy(&value, block.data() + i * stride, 4);
                out->push_back(value);
            }
            return true;
        default:
            return true;
    }
}

void DecodeKavoListStrings(const KavoListRecord& header, const std::vector<uint8_t>& block, bool fixedLength,
                           std::vector<CQzString>* out)
{
    out->clear();
    const char* bytes = reinterpret_cast<const char*>(block.data());
    if (header.elementType == kKavoListStrings) {
        const size_t stride = header.bytesPerElement;
        const size_t count = stride ? block.size() / stride : 0;
        // A text never runs past 256 bytes, whatever the element's width.
        const size_t width = stride < 256 ? stride : 256;
        for (size_t i = 0; i < count; ++i) {
            const char* element = bytes + i * stride;
            size_t length = width;
            if (!fixedLength) {
                const void* nul = std::memchr(element, 0, width);
                length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - element) : width;
            }
            out->push_back(CQzString(std::string(element, length).c_str()));
        }
    } else if (header.elementType == kKavoListPackedStrings) {
        size_t start = 0;
        for (size_t i = 0; i < block.size(); ++i)
            if (block[i] == 0) {
                const size_t length = i - start < 256 ? i - start : 256;
                out->push_back(CQzString(std::string(bytes + start, length).c_str()));
                start = i + 1;
            }
    }
}

bool CountKavoListStrings(const KavoListRecord& header, const std::vector<uint8_t>& block, uint32_t* out)
{
    if (header.elementType == kKavoListStrings) {
        *out = header.elementCount;
        return true;
    }
    if (header.elementType == kKavoListPackedStrings) {
        uint32_t nuls = 0;
        for (uint8_t byte : block)
            nuls += byte == 0;
        *out = nuls;
        return true;
    }
    return false;
}

CQzString KavoText(const char* buffer, size_t size)
{
    const size_t limit = size < 256 ? size : 255;
    const void* nul = std::memchr(buffer, 0, limit);
    const size_t length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - buffer) : limit;
    return CQzString(std::string(buffer, length).c_str());
}
