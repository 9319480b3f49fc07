// The error chain: the one failure channel of the libraries. Null is success;
// anything else is a chain of frames, newest first, that the caller owns and
// frees with Destroy on its head.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatExport.h"

class VORLAT_API IVorlatError {
protected:
    virtual ~IVorlatError();

public:
    virtual void Destroy() = 0;
    virtual IVorlatError* Next() const = 0;
    // Writes "file:line"; the buffer must hold two decimal 32-bit numbers and a colon.
    virtual void Location(char* buffer) const = 0;
    virtual int32_t From() const = 0;
    virtual char* GetString() const = 0;
    virtual int32_t GetValue() const = 0;
    virtual char* GetDeepestString() const = 0;
    virtual int32_t GetDeepestValue() const = 0;

    // Each pushes at most one frame on top of *chain (chain may be null),
    // stores the new head back through chain and returns it.
    static IVorlatError* Add(IVorlatError** chain, int32_t file, int32_t line, int32_t from, int32_t value);
    static IVorlatError* Add(IVorlatError** chain, int32_t file, int32_t line, const char* text);
    static IVorlatError* Add(IVorlatError** chain, const char* text);
    static IVorlatError* Add(IVorlatError** chain, int32_t file, int32_t line, IVorlatError* error);
    static IVorlatError* AddWorker(IVorlatError** chain, int32_t file, int32_t line, IVorlatError* error);
};

class VORLAT_API CVorlatError : public IVorlatError {
public:
    CVorlatError(int32_t file, int32_t line, int32_t from, int32_t value, IVorlatError* next);
    CVorlatError(int32_t file, int32_t line, const char* text, IVorlatError* next);

    void Destroy() override;
    IVorlatError* Next() const override;
    void Location(char* buffer) const override;
    int32_t From() const override;
    char* GetString() const override;
    int32_t GetValue() const override;
    char* GetDeepestString() const override;
    int32_t GetDeepestValue() const override;

protected:
    ~CVorlatError() override;

private:
    friend class IVorlatError;

    IVorlatError* next_;
    int32_t file_;
    int32_t line_;
    int32_t from_;
    char* text_;
    int32_t value_;
};

// Values with a fixed meaning across the libraries (origin 0).
enum VorlatErrorValue : int32_t {
    kVorlatErrLocation = 1,
    kVorlatErrText = 1000,
    kVorlatErrNoSuchId = 1001,
    kVorlatErrAlreadyPresent = 1002,
    kVorlatErrNoSingleSource = 1003,
    kVorlatErrAllocation = 1005,
    kVorlatErrPageFile = 1006,
    kVorlatErrState = 1007,
    kVorlatErrColorSpace = 1010,
    kVorlatErrArrayTooSmall = 1014,
};

// Origins of a frame's value besides the libraries' four-character codes.
enum VorlatErrorFrom : int32_t {
    kVorlatFromSystem = 0,
    kVorlatFromErrno = 1,
};

// The caller's idiom in one line: wraps a failing call's chain with the
// caller's location and tells whether it failed.
//     if (VorlatFailed(&err, kFileId, __LINE__, image->Lock(...))) return err;
inline bool VorlatFailed(IVorlatError** chain, int32_t file, int32_t line, IVorlatError* result)
{
    if (!result)
        return false;
    IVorlatError::AddWorker(chain, file, line, result);
    return true;
}

// Four-character codes as the libraries store them in `From` and in module codes:
// the first character in the most significant byte ("QZCM" -> 0x515A434D).
constexpr int32_t VorlatFourCC(const char (&code)[5])
{
    return static_cast<int32_t>((static_cast<uint32_t>(static_cast<unsigned char>(code[0])) << 24) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(code[1])) << 16) |
                                (static_cast<uint32_t>(static_cast<unsigned char>(code[2])) << 8) |
                                static_cast<uint32_t>(static_cast<unsigned char>(code[3])));
}
