// Concrete streams of the library.
#pragma once

#include <cstdio>

#include "fileio/VorlatStream.h"
#include "port/port.h"

class CVorlatFileStream : public IVorlatFileStream {
public:
    CVorlatFileStream();

    IVorlatError* OpenStream(bool read) override;
    void CloseStream() override;
    void Destroy() override;
    const void* GetMappedMemory() const override;
    IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) override;
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override;
    IVorlatError* Seek(int32_t offset, int origin) override;
    IVorlatError* Tell(int32_t* position) const override;
    IVorlatError* GetCreateTime(struct tm* out) const override;
    IVorlatError* GetFile(_VorlatFile* out) const override;
    IVorlatError* GetSize(uint32_t* bytes) const override;
    IVorlatError* SetFile(const _VorlatFile& file) override;

protected:
    ~CVorlatFileStream() override;

private:
    FILE* OpenFile() const;

    _VorlatFile file_;
    bool read_ = false;
    uint32_t mappedSize_ = 0;
    port::MappedFile mapping_;
    uint32_t position_ = 0;  // offset into the mapped view
    FILE* readFile_ = nullptr;
    FILE* writeFile_ = nullptr;
};

class CVorlatMemoryStream : public IVorlatMemoryStream {
public:
    IVorlatError* OpenStream(bool read) override;
    void CloseStream() override;
    void Destroy() override;
    const void* GetMappedMemory() const override;
    IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) override;
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override;
    IVorlatError* Seek(int32_t offset, int origin) override;
    IVorlatError* Tell(int32_t* position) const override;
    IVorlatError* GetCreateTime(struct tm* out) const override;
    IVorlatError* GetFile(_VorlatFile* out) const override;
    IVorlatError* GetSize(uint32_t* bytes) const override;
    IVorlatError* SetMemory(void* buffer, uint32_t bytes) override;

protected:
    ~CVorlatMemoryStream() override = default;

private:
    uint8_t* base_ = nullptr;
    bool open_ = false;
    uint32_t position_ = 0;
    uint32_t size_ = 0;
};

// Shows another stream from `base` on as if it began at offset 0. Does not own
// the inner stream.
class CVorlatWindowStream : public IVorlatStream {
public:
    CVorlatWindowStream(IVorlatStream* inner, uint32_t base);
    ~CVorlatWindowStream() override = default;

    IVorlatError* OpenStream(bool read) override;
    void CloseStream() override;
    void Destroy() override;
    const void* GetMappedMemory() const override;
    IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) override;
    IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) override;
    IVorlatError* Seek(int32_t offset, int origin) override;
    IVorlatError* Tell(int32_t* position) const override;
    IVorlatError* GetCreateTime(struct tm* out) const override;
    IVorlatError* GetFile(_VorlatFile* out) const override;
    IVorlatError* GetSize(uint32_t* bytes) const override;

private:
    IVorlatStream* inner_;
    uint32_t base_;
};
