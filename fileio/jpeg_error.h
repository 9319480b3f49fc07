// Source-file ids and error values of the JPEG reader, decoder, encoder and
// writer (the library-wide ones are in quarnite_error.h).
#pragma once

#include <cstdint>

#include "fileio/quarnite_error.h"

namespace quarnite {

constexpr int32_t kSrcJpegEncoder = 231;
constexpr int32_t kSrcJpegBandFetch = 234;

enum JpegErrorValue : int32_t {
    kErrJpegMarker = 1302,          // a marker the reader does not accept
    kErrJpegSegment = 1303,         // an application segment shorter than its length or inconsistent
    kErrJpegComment = 1304,
    kErrJpegNoScan = 1306,          // EOI before any scan
    kErrJpegRestartSegment = 1307,
    kErrJpegQuantSegment = 1308,
    kErrJpegQuantCount = 1309,
    kErrJpegQuantPrecision = 1310,
    kErrJpegHuffmanSegment = 1311,  // also a table that cannot be decoded from
    kErrJpegHuffmanCount = 1312,
    kErrJpegFrameHeader = 1313,     // also a second frame header, or a size of 0
    kErrJpegPrecision = 1314,
    kErrJpegComponents = 1315,
    kErrJpegScanHeader = 1316,
    kErrJpegScanOrder = 1317,
    kErrJpegScan = 1318,            // component count, spectral range or sampling not supported
    kErrJpegScanComponent = 1319,
    kErrJpegNoQuantTable = 1320,
    kErrJpegNoHuffmanTable = 1321,
    kErrJpegRestartMarker = 1322,
    kErrJpegBlockTooLarge = 1324,   // a segment whose length would not fit 16 bits
};

} // namespace quarnite
