// The tag store: the metadata of one image file, each item a typed value
// under a 32-bit tag id (namespace << 16 | tag number).
#pragma once

#include <cstdint>

#include "Vorlat/VorlatError.h"
#include "fileio/QuarniteExport.h"

typedef uint32_t TagId;

// Namespaces of tag ids.
enum TagNamespace : uint32_t {
    kTagNsTiff = 0,       // TIFF and Exif
    kTagNsFileInfo = 1,   // file and image information
    kTagNsIptc = 2,       // items of the IPTC container
    kTagNsGps = 3,
    kTagNsAudio = 4,
    kTagNsMakerNote = 8,
    kTagNsFilmScanner = 9,
};

constexpr TagId MakeTagId(uint32_t space, uint32_t number) { return (space << 16) | (number & 0xFFFF); }

// Value forms of group 0 (single bits). Groups 1 to 9 keep the TIFF field type instead.
enum TagTypeCode : uint32_t {
    kTagTypeBytes = 0x1,
    kTagTypeText = 0x2,
    kTagTypeLongs = 0x4,
    kTagTypeDoubles = 0x8,
    kTagTypeJisText = 0x10,
    kTagTypeUnicodeText = 0x20,
    kTagTypeProfilePath = 0x100,  // a _VorlatFile path instead of the profile bytes
    kTagTypeTriples = 0x200,      // signed 16-bit w0, w1, w2 standing for w0 * w1 / w2
    kTagTypeLensRange = 0x400,
    kTagTypeFlags87 = 0x800,
    kTagTypeFocusPosition = 0x1000,
    kTagTypeFlags89 = 0x2000,
    kTagTypeIsoPair = 0x4000,
    kTagTypeFlags83 = 0x8000,
    kTagTypeCurve = 0x10000,
    kTagTypeIptc = 0x20000,
    kTagTypeFilmRecord = 0x40000,
    kTagTypeBlock = 0x80000,
    kTagTypeLensData = 0x100000,
    kTagTypeColorBalance = 0x200000,
};

// Ids with a meaning of their own to the library's users.
constexpr TagId kTagImageWidth = 0x10000;
constexpr TagId kTagImageHeight = 0x10001;
constexpr TagId kTagColorSpace = 0x10002;
constexpr TagId kTagResolution = 0x10003;
constexpr TagId kTagFlip = 0x10004;
constexpr TagId kTagRotation = 0x10005;
constexpr TagId kTagIptcKeywords = 0x20019;
constexpr TagId kTagIptcCaption = 0x20078;
constexpr TagId kTagPrintIm = 0x80E00;
constexpr TagId ImageProcSettingsTag = 0x80E01;

struct tagStrTagInfo {
    uint32_t tag;
    uint32_t type;
};

// The buffer of a container value's get and set (IPTC, PrintIM); data null
// asks for the size.
struct TagItemRequest {
    uint32_t item;
    uint32_t size;
    void* data;
};

// The data of item 0x20019 (a keyword); index 0xFFFFFFFF asks for the count.
struct IptcKeywordRequest {
    uint32_t index;
    uint32_t size;
    void* data;
};

class QUARNITE_API IVorlatTagControl {
public:
    virtual void Destroy() = 0;
    virtual uint32_t GetTagCount(uint32_t group) const = 0;
    virtual IVorlatError* GetTagInfo(tagStrTagInfo* out, uint32_t count, uint32_t group) const = 0;
    virtual uint32_t GetTagType(TagId tag, uint32_t group) const = 0;
    virtual uint32_t GetTagSize(TagId tag, uint32_t group) const = 0;
    virtual IVorlatError* GetTagValue(TagId tag, uint32_t type, uint32_t bytes, void* buffer,
                                      uint32_t group) const = 0;
    virtual IVorlatError* SetTagValue(TagId tag, uint32_t type, uint32_t bytes, const void* buffer,
                                      uint32_t group) = 0;
    // Group 0, typed by the library's id table; an unknown id gives 1409.
    virtual IVorlatError* AddTag(TagId tag) = 0;
    // Groups 1 to 9, under the TIFF field type the file gave.
    virtual IVorlatError* AddUkTag(TagId tag, uint32_t fieldType, uint32_t group) = 0;
    virtual IVorlatError* RemoveTag(TagId tag, uint32_t group) = 0;
    virtual bool IsExist(TagId tag, uint32_t group) const = 0;
    virtual IVorlatError* CopyFrom(const IVorlatTagControl* other) = 0;
    virtual void RemoveAll() = 0;

    static IVorlatError* CreateTagControl(IVorlatTagControl** out);

protected:
    virtual ~IVorlatTagControl();
};
