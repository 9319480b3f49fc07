// The byte stream through which every reader and writer of the file library
// works: a named file (memory-mapped for reading, stdio as the fallback) or a
// caller's memory buffer.
#pragma once

#include <cstdint>
#include <ctime>

#include "Vorlat/VorlatError.h"
#include "Vorlat/VorlatTypes.h"
#include "fileio/QuarniteExport.h"

class QUARNITE_API IVorlatStream {
public:
    // true opens for reading, false for writing. A file stream writes a new
    // file beside the named one, which takes its place only at the close; the
    // named file stays as it was until then, and after a failed save.
    virtual IVorlatError* OpenStream(bool read) = 0;
    virtual void CloseStream() = 0;
    virtual void Destroy() = 0;
    // The bytes at the current position (null when the stream is not mapped).
    virtual const void* GetMappedMemory() const = 0;
    // Reads exactly `bytes` bytes at the position and advances it.
    virtual IVorlatError* LoadToMemory(void* buffer, uint32_t bytes) = 0;
    virtual IVorlatError* SaveFromMemory(const void* buffer, uint32_t bytes) = 0;
    // origin 0 from the start, 1 from the position, 2 from the end.
    virtual IVorlatError* Seek(int32_t offset, int origin) = 0;
    virtual IVorlatError* Tell(int32_t* position) const = 0;
    virtual IVorlatError* GetCreateTime(struct tm* out) const = 0;
    virtual IVorlatError* GetFile(_VorlatFile* out) const = 0;
    virtual IVorlatError* GetSize(uint32_t* bytes) const = 0;

protected:
    // The owner calls CloseStream before Destroy; destruction does not close.
    virtual ~IVorlatStream();
};

class QUARNITE_API IVorlatFileStream : public IVorlatStream {
public:
    virtual IVorlatError* SetFile(const _VorlatFile& file) = 0;

    static IVorlatError* CreateFileStream(IVorlatFileStream** out);
    static IVorlatError* CreateStream(IVorlatStream** out);
};

class QUARNITE_API IVorlatMemoryStream : public IVorlatStream {
public:
    // The buffer stays the caller's; it never grows.
    virtual IVorlatError* SetMemory(void* buffer, uint32_t bytes) = 0;

    static IVorlatError* CreateMemoryStream(IVorlatMemoryStream** out);
    static IVorlatError* CreateStream(IVorlatStream** out);
};
