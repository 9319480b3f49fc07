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

    // Writing goes to a file beside the target, which replaces the target at
    // the close. FinishWrite is that close with its result: 1006 when the last
    // bytes could not be written or the target not replaced (the target is then
    // as it was). AbandonWrite removes what was written. Both leave the stream
    // closed; a stream destroyed while writing abandons.
    IVorlatError* FinishWrite();
    void AbandonWrite();

protected:
    ~CVorlatFileStream() override;

private:
    // The file whose status GetSize and GetCreateTime report.
    const char* StatusPath() const;
    // Reads bytes at the position of the mapped view from the file itself.
    enum class DirectRead { NotUsed, Done, CutShort };
    DirectRead ReadDirect(void* buffer, uint32_t bytes);

    _VorlatFile file_;
    bool read_ = false;
    uint32_t mappedSize_ = 0;
    port::MappedFile mapping_;
    uint32_t position_ = 0;  // offset into the mapped view
    // The mapped file opened once more for reading: large reads come through
    // it rather than from the view (see LoadToMemory); -1 when it did not open.
    int readDescriptor_ = -1;
    FILE* readFile_ = nullptr;
    port::ReplacingFile writeFile_;
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

namespace quarnite {
// The end of a save into `stream`: a file stream puts what was written in the
// target's place (see CVorlatFileStream::FinishWrite); other streams stay as
// they are.
IVorlatError* FinishWrite(IVorlatStream* stream);
// A save that failed or was given up: a file stream removes what was written
// and closes, leaving the target as it was; other streams stay as they are.
void AbandonWrite(IVorlatStream* stream);
} // namespace quarnite

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
