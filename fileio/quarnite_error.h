// Source-file ids and error values of the file library, and the one-line
// helpers that start a chain with a frame of the calling source file.
#pragma once

#include <cstdint>
#include <new>
#include <stdexcept>

#include "Vorlat/VorlatError.h"

namespace quarnite {

// Source-file ids written into every frame.
enum SourceId : int32_t {
    kSrcValues = 0,        // tag value objects, window stream, reader defaults
    kSrcExported = 10,     // streams, tag store, loader, saver
    kSrcJpegReader = 201,
    kSrcBmpReader = 205,
    kSrcTiffReader = 221,
    kSrcQuickTime = 227,
    kSrcWav = 228,
    kSrcJpegWriter = 230,
    kSrcTiffWriter = 241,
    kSrcIfdEntry = 250,
    kSrcMakerNote = 251,
    kSrcIptcRecord = 280,
    kSrcIptcStore = 281,
    kSrcPrintIm = 282,
    kSrcExifIfd = 290,
    kSrcGpsIfd = 295,
};

enum ErrorValue : int32_t {
    kErrNoSuchTag = 1001,
    kErrAllocation = 1005,
    kErrShortWrite = 1006,
    kErrState = 1007,
    kErrNoColorSpace = 1010,
    kErrNoSuchItem = 1013,
    kErrBadArgument = 1014,
    kErrInvalidType = 1070,
    kErrUnknownFormat = 1072,
    kErrNotSupported = 1073,
    kErrStat = 1100,
    kErrOpen = 1101,
    kErrReadPastEnd = 1103,
    kErrSeek = 1106,
    kErrTell = 1107,
    kErrFirstIfdZero = 1400,
    kErrEmptyIfd = 1401,
    kErrCompressedEnd = 1404,
    kErrCountMismatch = 1407,
    kErrWrongEntryType = 1408,
    kErrUnknownTag = 1409,
    kErrZeroTileRect = 1412,
};

// A new chain of one frame with origin 0.
inline IVorlatError* Fail(int32_t source, int32_t line, int32_t value)
{
    return IVorlatError::Add(nullptr, source, line, kVorlatFromSystem, value);
}

// The inner chain with the caller's location frame on top (null stays null).
inline IVorlatError* Wrap(int32_t source, int32_t line, IVorlatError* inner)
{
    return IVorlatError::AddWorker(nullptr, source, line, inner);
}

// True when any frame of the chain carries the value.
inline bool ChainHas(const IVorlatError* chain, int32_t value)
{
    for (; chain; chain = chain->Next())
        if (chain->GetValue() == value)
            return true;
    return false;
}

// Growth of owned buffers without letting an exception cross the library's edge.
template <class Container>
bool TryResize(Container& container, uint64_t size)
{
    if (size > container.max_size())
        return false;
    try {
        container.resize(static_cast<typename Container::size_type>(size));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    return true;
}

} // namespace quarnite

// Each source file defines kSourceId and uses these, so every frame carries its
// file and line:   if (IVorlatError* e = s->Seek(0, 0)) return QZ_WRAP(e);
#define QZ_FAIL(value) ::quarnite::Fail(kSourceId, __LINE__, (value))
#define QZ_WRAP(inner) ::quarnite::Wrap(kSourceId, __LINE__, (inner))
