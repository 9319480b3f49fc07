// The program's byte string: texts in the ANSI code page, ending in a zero
// byte, in a heap buffer that grows exactly to what is asked and never shrinks.
#pragma once

#include <cstdint>

// The buffer primitives that every operation of the string goes through.
class CQzStringBase {
public:
    virtual ~CQzStringBase() = default;
    // Index of the first zero byte within the capacity; 0 without one.
    virtual int32_t GetLength() const;
    virtual char* Allocate(uint32_t size) = 0;
    virtual void Free(char* block) = 0;
    virtual void Reserve(uint32_t size) = 0;
    virtual uint32_t GetCapacity() const = 0;
    virtual char* GetString() const = 0;
    virtual int32_t GetLimit() const = 0;
};

// <windows.h> makes LoadString a macro: the member keeps its one name in
// every file, and a call that the macro renamed fails to compile instead of
// linking against a member that does not exist.
#pragma push_macro("LoadString")
#undef LoadString

class CQzString : public CQzStringBase {
public:
    CQzString();
    CQzString(const char* text);
    CQzString(const unsigned char* text);
    CQzString(const signed char* text);
    CQzString(const char* text, int32_t count);
    CQzString(const CQzString& other);
    ~CQzString() override;

    CQzString& operator=(const char* text);
    CQzString& operator=(const unsigned char* text);
    CQzString& operator=(const CQzString& other);

    // Records a new buffer of at least 4 bytes; the old one is left to the caller.
    char* Allocate(uint32_t size) override;
    void Free(char* block) override;
    // Grows the buffer to exactly `size` bytes, keeping its whole content.
    void Reserve(uint32_t size) override;
    uint32_t GetCapacity() const override { return capacity_; }
    char* GetString() const override { return buffer_; }
    int32_t GetLimit() const override { return -1; }

    // Entry `id` of the module's string table (null: the program's own); a
    // missing entry gives the empty text.
    void LoadString(uint32_t id, void* module = nullptr);

    void Append(const CQzString& text);
    void Append(const char* text);
    void Append(char character);

    // A negative count means everything to the end; a negative start counts as 0.
    CQzString Left(int32_t count) const;
    CQzString Right(int32_t count) const;
    CQzString Mid(int32_t start, int32_t count = -1) const;
    void Left(int32_t count, CQzString& out) const;
    void Right(int32_t count, CQzString& out) const;
    void Mid(int32_t start, int32_t count, CQzString& out) const;

    int32_t Find(const char* text) const;
    int32_t FindChar(char character) const;
    bool operator==(const CQzString& other) const;
    bool operator!=(const CQzString& other) const { return !(*this == other); }
    // Count -1: the whole texts match; count n >= 0: the first n characters
    // match (a prefix test). Case is ignored byte by byte.
    bool CompareNoCase(const char* text, int32_t count = -1) const;
    bool IsEmpty() const;

    operator const char*() const { return buffer_; }
    // Grows the buffer so that `index` lies inside it.
    char* GetBufferAt(uint32_t index);
    // At most 255 characters into a caller's 256-byte buffer, terminated.
    void CopyTo(char* buffer) const;
    // Removes trailing blanks (0x20 only).
    void TrimRight();

private:
    void Assign(const char* text, uint32_t count);
    void AppendBytes(const char* text, uint32_t count);
    // The length of a text to copy; one inside this string's buffer ends at
    // the buffer's end at the latest, zero byte or not.
    uint32_t SourceLength(const char* text) const;

    uint32_t capacity_ = 0;
    char* buffer_ = nullptr;
};

#pragma pop_macro("LoadString")

CQzString operator+(const CQzString& left, const CQzString& right);
CQzString operator+(const CQzString& left, const char* right);
CQzString operator+(const CQzString& left, char right);
CQzString operator+(const char* left, const CQzString& right);

// The shipped program is 32-bit: the table pointer, the capacity and the buffer.
static_assert(sizeof(void*) != 4 || sizeof(CQzString) == 12);
