// The small value types that every pipeline interface passes around, and the
// colour-space codes that say how a pixel lies in a tile buffer.
#pragma once

#include <cstdint>

#include "Vorlat/VorlatExport.h"

// RECT and BITMAPINFOHEADER are the system's own on Windows, so that the
// program passes its rectangles and bitmap headers straight through; elsewhere
// they are declared here with the same layout.
#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windef.h>
#include <wingdi.h>
#else
typedef struct tagRECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
} RECT;

typedef struct tagBITMAPINFOHEADER {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
} BITMAPINFOHEADER;
#endif

static_assert(sizeof(RECT) == 16, "RECT is four 32-bit coordinates");
static_assert(sizeof(BITMAPINFOHEADER) == 40, "a tile keeps 40 bytes for the bitmap header");

// A colour-space code (see IVorlatDataSource::GetBitsPerPixel for the table).
typedef int32_t VorlatColorSpace;

// A code with this bit set has (code & 0xFFFF) bytes per pixel.
constexpr int32_t kVorlatColorSpaceBytes = 0x10000;

// Data notification codes: the code argument of VorlatNotify and
// VorlatSendDataNotification. Negative codes belong to the sender.
enum VorlatDataNotification : int32_t {
    kVorlatNotifyDataChanged = 0,   // param: RECT*, the changed rectangle
    kVorlatNotifySize = 1,          // param: IVorlatDataDestination::ChangeSize*
    kVorlatNotifyColorSpace = 2,    // param: IVorlatDataDestination::ChangeColorSpace*
    kVorlatNotifyResolution = 3,    // param: IVorlatDataDestination::ChangeResolution*
    kVorlatNotifyTransform = 4,     // param: IVorlatDataDestination::ChangeTransform*
    kVorlatNotifyPalette = 5,       // param: IVorlatDataDestination::ChangePalette*
    kVorlatNotifyDestroyed = 6,     // param: null
    kVorlatNotifyUpdateAll = 7,     // param: null
    kVorlatNotifyHistogramComplete = -2099,
    kVorlatNotifyHistogramPartial = -2100,
};

// Usage of an image and its tiles.
enum VorlatUsage : int32_t {
    kVorlatUsageKeep = 0,        // written to a page file before its buffer is taken
    kVorlatUsageDiscardable = 1, // dropped and made again when needed
    kVorlatUsageReusable = 2,    // discardable, and taken first
};

// A rectangle of doubles, in pixels.
struct VORLAT_API VorlatDblRect {
    double left;
    double top;
    double right;
    double bottom;

    VorlatDblRect() {}
    VorlatDblRect(const RECT& rect);
    // Rounds each coordinate half away from zero.
    operator RECT() const;
    // Equal when every coordinate differs by no more than 1e-10.
    int operator==(const VorlatDblRect& other) const;
    int operator!=(const VorlatDblRect& other) const;
};

// One pixel: its colour space, then the channel values in buffer order.
struct VorlatPixel {
    int32_t colorSpace;
    union {
        uint8_t bytes[4];   // channels of 8 bits (and 1, 2, 4-bit values in bytes[0])
        uint16_t words[3];  // channels of 16 bits
        uint8_t room[8];
    };
};
static_assert(sizeof(VorlatPixel) == 12, "pixel record layout");

struct VORLAT_API VorlatPalette {
    int32_t count;       // entries in use
    int32_t colorSpace;  // colour space of the entries
    VorlatPixel entries[256];

    // Compares the first count entries by the channels their colour space uses.
    bool operator==(const VorlatPalette& other) const;
};

// An opaque 16-byte class identifier.
struct VORLAT_API VorlatClassID {
    uint8_t bytes[16];

    int operator==(const VorlatClassID& other) const;
    int operator!=(const VorlatClassID& other) const;
};

// A path of up to 259 characters and its terminating NUL, copied whole.
struct _VorlatFile {
    char path[260];
};
