#include "app/core/text/qz_string.h"

#include <cctype>
#include <cstring>
#include <functional>
#include <string>
#include <string_view>

#include "app/core/text/string_resource.h"

namespace {

uint32_t TextLength(const char* text)
{
    return text ? static_cast<uint32_t>(std::strlen(text)) : 0;
}

// Whether `text` points into [buffer, buffer + capacity): such a source must be
// copied before Reserve frees the buffer it lies in.
bool Inside(const char* text, const char* buffer, uint32_t capacity)
{
    std::less_equal<const char*> notAfter;
    std::less<const char*> before;
    return text && buffer && notAfter(buffer, text) && before(text, buffer + capacity);
}

}  // namespace

int32_t CQzStringBase::GetLength() const
{
    const char* text = GetString();
    if (!text)
        return 0;
    const void* end = std::memchr(text, 0, GetCapacity());
    return end ? static_cast<int32_t>(static_cast<const char*>(end) - text) : 0;
}

CQzString::CQzString()
{
    Reserve(4);
}

CQzString::CQzString(const char* text)
{
    Assign(text, TextLength(text));
}

CQzString::CQzString(const unsigned char* text) : CQzString(reinterpret_cast<const char*>(text)) {}

CQzString::CQzString(const signed char* text) : CQzString(reinterpret_cast<const char*>(text)) {}

CQzString::CQzString(const char* text, int32_t count)
{
    Assign(text, text && count > 0 ? static_cast<uint32_t>(count) : 0);
}

CQzString::CQzString(const CQzString& other)
{
    *this = other;
}

CQzString::~CQzString()
{
    Free(buffer_);
}

uint32_t CQzString::SourceLength(const char* text) const
{
    if (!Inside(text, buffer_, capacity_))
        return TextLength(text);
    const uint32_t room = static_cast<uint32_t>(buffer_ + capacity_ - text);
    const void* end = std::memchr(text, 0, room);
    return end ? static_cast<uint32_t>(static_cast<const char*>(end) - text) : room;
}

CQzString& CQzString::operator=(const char* text)
{
    const uint32_t count = SourceLength(text);
    // The text may lie in this string's own buffer, which Reserve may free.
    if (Inside(text, buffer_, capacity_)) {
        const std::string copy(text, count);
        Assign(copy.data(), count);
    } else {
        Assign(text, count);
    }
    return *this;
}

CQzString& CQzString::operator=(const unsigned char* text)
{
    return *this = reinterpret_cast<const char*>(text);
}

CQzString& CQzString::operator=(const CQzString& other)
{
    if (this == &other)
        return *this;
    // The whole buffer is copied, so the copy keeps the other's capacity.
    Reserve(other.GetCapacity());
    std::memcpy(GetString(), other.GetString(), other.GetCapacity());
    return *this;
}

char* CQzString::Allocate(uint32_t size)
{
    const uint32_t bytes = size < 4 ? 4 : size;
    buffer_ = new char[bytes]();
    capacity_ = bytes;
    return buffer_;
}

void CQzString::Free(char* block)
{
    delete[] block;
}

void CQzString::Reserve(uint32_t size)
{
    if (capacity_ >= size && buffer_)
        return;
    char* old = buffer_;
    const uint32_t oldCapacity = capacity_;
    Allocate(size);
    if (old)
        std::memcpy(buffer_, old, oldCapacity);
    Free(old);
}

void CQzString::Assign(const char* text, uint32_t count)
{
    Reserve(count + 1);
    char* buffer = GetString();
    if (count)
        std::memmove(buffer, text, count);
    buffer[count] = '\0';
}

void CQzString::LoadString(uint32_t id, void* module)
{
    char scratch[256];
    const int32_t loaded = qz::LoadStringResource(module, id, scratch, sizeof scratch);
    if (loaded <= 0) {
        Assign("", 0);
        return;
    }
    if (loaded <= 253) {
        Assign(scratch, static_cast<uint32_t>(loaded));
        return;
    }
    // A long entry loads straight into the buffer, which grows until the text
    // leaves more than two characters of it free.
    for (uint32_t size = 512;; size += 256) {
        Reserve(size);
        const int32_t length = qz::LoadStringResource(module, id, GetString(), static_cast<int32_t>(size));
        if (length < static_cast<int32_t>(size) - 2)
            return;
    }
}

void CQzString::AppendBytes(const char* text, uint32_t count)
{
    if (count == 0)
        return;
    const uint32_t length = static_cast<uint32_t>(GetLength());
    Reserve(length + count + 1);
    std::memcpy(GetString() + length, text, count);
    GetString()[length + count] = '\0';
}

void CQzString::Append(const CQzString& text)
{
    const uint32_t count = static_cast<uint32_t>(text.GetLength());
    if (&text == this) {
        const std::string copy(text.GetString(), count);
        AppendBytes(copy.data(), count);
        return;
    }
    AppendBytes(text.GetString(), count);
}

void CQzString::Append(const char* text)
{
    const uint32_t added = SourceLength(text);
    if (Inside(text, buffer_, capacity_)) {
        const std::string copy(text, added);
        AppendBytes(copy.data(), added);
        return;
    }
    AppendBytes(text, added);
}

void CQzString::Append(char character)
{
    const uint32_t length = static_cast<uint32_t>(GetLength());
    Reserve(length + 2);
    GetString()[length] = character;
    GetString()[length + 1] = '\0';
}

void CQzString::Mid(int32_t start, int32_t count, CQzString& out) const
{
    const int32_t length = GetLength();
    if (start < 0)
        start = 0;
    if (start >= length) {
        out = "";
        return;
    }
    const int32_t rest = length - start;
    if (count < 0 || count > rest)
        count = rest;
    out = CQzString(GetString() + start, count);
}

void CQzString::Left(int32_t count, CQzString& out) const
{
    Mid(0, count, out);
}

void CQzString::Right(int32_t count, CQzString& out) const
{
    const int32_t length = GetLength();
    if (count < 0 || count > length)
        count = length;
    Mid(length - count, count, out);
}

CQzString CQzString::Left(int32_t count) const
{
    CQzString out;
    Left(count, out);
    return out;
}

CQzString CQzString::Right(int32_t count) const
{
    CQzString out;
    Right(count, out);
    return out;
}

CQzString CQzString::Mid(int32_t start, int32_t count) const
{
    CQzString out;
    Mid(start, count, out);
    return out;
}

int32_t CQzString::Find(const char* text) const
{
    if (!text)
        return -1;
    // Within the text only: a buffer written to its end has no zero byte to stop a scan.
    const std::string_view own(GetString(), static_cast<size_t>(GetLength()));
    const size_t found = own.find(text);
    return found == std::string_view::npos ? -1 : static_cast<int32_t>(found);
}

int32_t CQzString::FindChar(char character) const
{
    const void* found = std::memchr(GetString(), character, static_cast<size_t>(GetLength()));
    return found ? static_cast<int32_t>(static_cast<const char*>(found) - GetString()) : -1;
}

bool CQzString::operator==(const CQzString& other) const
{
    const int32_t length = GetLength();
    return length == other.GetLength() && std::memcmp(GetString(), other.GetString(), length) == 0;
}

bool CQzString::CompareNoCase(const char* text, int32_t count) const
{
    if (count == 0)
        return true;
    if (!text)
        return false;
    const int32_t length = GetLength();
    const char* own = GetString();
    const bool whole = count < 0;
    if (whole) {
        if (static_cast<uint32_t>(length) != TextLength(text))
            return false;
        count = length;
    } else if (length < count) {
        return false;
    }
    for (int32_t i = 0; i < count; ++i) {
        // The text may be shorter than the count: its zero byte then differs.
        if (std::toupper(static_cast<unsigned char>(own[i])) != std::toupper(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

bool CQzString::IsEmpty() const
{
    return GetString()[0] == '\0';
}

char* CQzString::GetBufferAt(uint32_t index)
{
    Reserve(index + 1);
    return GetString() + index;
}

void CQzString::CopyTo(char* buffer) const
{
    if (!buffer)
        return;
    int32_t length = GetLength();
    if (length > 255)
        length = 255;
    std::memcpy(buffer, GetString(), static_cast<size_t>(length));
    buffer[length] = '\0';
}

void CQzString::TrimRight()
{
    int32_t length = GetLength();
    char* text = GetString();
    while (length > 0 && text[length - 1] == ' ')
        --length;
    text[length] = '\0';
}

CQzString operator+(const CQzString& left, const CQzString& right)
{
    CQzString out(left);
    out.Append(right);
    return out;
}

CQzString operator+(const CQzString& left, const char* right)
{
    CQzString out(left);
    out.Append(right);
    return out;
}

CQzString operator+(const CQzString& left, char right)
{
    CQzString out(left);
    out.Append(right);
    return out;
}

CQzString operator+(const char* left, const CQzString& right)
{
    CQzString out(left);
    out.Append(right);
    return out;
}
