// The records, codes and procedure signatures that cross the camera module
// boundary. The program and the simulated module share this header, so both
// sides agree on every byte. The records are packed; the offsets and sizes
// below are those of the shipped 32-bit build, where pointers are 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Standard-call linkage of the entry point and of every procedure the module
// calls back; it matters only in the 32-bit Windows build.
#if defined(_WIN32) && defined(__i386__)
#define KAVO_CALL __attribute__((stdcall))
#else
#define KAVO_CALL
#endif

// ---- Codes ----------------------------------------------------------------

enum KavoCommand : uint32_t {
    kKavoPoll = 0,
    kKavoOpen = 1,
    kKavoClose = 2,
    kKavoCapabilityCount = 3,
    kKavoCapabilityInfo = 4,
    kKavoStart = 5,
    kKavoSet = 6,
    kKavoGet = 7,
    kKavoGetDefault = 8,
    kKavoGetArray = 9,
    kKavoAfterQueued = 10,
    kKavoAbort = 11,
    kKavoEnumerate = 13,
    kKavoReset = 15,
};

// The fourth argument of every call: what the data argument is.
enum KavoDataType : uint32_t {
    kKavoDataNone = 0,
    kKavoDataBoolValue = 1,   // the boolean in the argument itself
    kKavoDataUintValue = 3,   // the unsigned value in the argument itself
    kKavoDataBool = 4,        // uint8_t*
    kKavoDataInt = 5,         // int32_t*
    kKavoDataUint = 6,        // uint32_t*
    kKavoDataDouble = 7,      // double*
    kKavoDataPoint = 8,       // KavoPoint*
    kKavoDataSize = 9,        // KavoSize*
    kKavoDataRect = 10,       // KavoRect*
    kKavoDataString = 11,     // char[256]
    kKavoDataDateTime = 12,   // KavoDateTime*
    kKavoDataCallback = 13,   // KavoCallbackRecord*
    kKavoDataRange = 14,      // KavoRangeRecord*
    kKavoDataArray = 15,      // KavoArrayRecord*
    kKavoDataList = 16,       // KavoListRecord*
    kKavoDataObject = 17,     // KavoObjectRecord*
    kKavoDataCapInfo = 18,    // tagQzKAVOCapInfo[count]
};

// The type field of a capability. A type t from 1 to 9 is read and written
// with data type t + 3.
enum KavoCapabilityType : uint32_t {
    kKavoCapBool = 1,
    kKavoCapInt = 2,
    kKavoCapUint = 3,
    kKavoCapDouble = 4,
    kKavoCapPoint = 5,
    kKavoCapSize = 6,
    kKavoCapRect = 7,
    kKavoCapString = 8,
    kKavoCapDateTime = 9,
    kKavoCapGroup = 11,  // an array of capability ids
    kKavoCapList = 12,   // also called an enumeration
    kKavoCapRange = 13,
};

enum KavoCapabilityAttribute : uint32_t {
    kKavoAttrSelected = 0x4,  // the tree selects capabilities by this flag
    kKavoAttrGroup = 0x8,     // the value lists member capability ids
};

enum KavoOperation : uint32_t {
    kKavoOpStart = 0x1,
    kKavoOpGet = 0x2,
    kKavoOpSet = 0x4,
    kKavoOpGetArray = 0x8,
    kKavoOpGetDefault = 0x10,
};

enum KavoEvent : uint32_t {
    kKavoEventChildAdded = 0,
    kKavoEventChildRemoved = 1,
    kKavoEventCapabilityListChanged = 4,
    kKavoEventValueChanged = 6,
};

// Capabilities the object tree itself uses.
enum KavoCapabilityId : uint32_t {
    kKavoCapPollInterval = 1,
    kKavoCapProgressProc = 2,
    kKavoCapEventProc = 3,
    kKavoCapDataProc = 4,
    kKavoCapUserRequestProc = 5,
    kKavoCapChildren = 7,
    kKavoCapByteArray = 8,
    kKavoCapName = 9,
    kKavoCapText = 10,
    kKavoCapDataKinds = 12,
    kKavoCapItemDate = 13,
    kKavoCapDataSize = 14,
    kKavoCapCapture = 17,
    kKavoCapDataFormat = 19,
    kKavoCapDeliver = 20,
    kKavoCapDeliverFlag = 21,
};

// Results. 0 is success; the negative codes are the program's; any other
// value comes from the module and is passed up unchanged.
enum KavoResult : int32_t {
    kKavoOk = 0,
    kKavoCancelled = -123,
    kKavoRepeat = -124,
    kKavoNotAList = -126,
    kKavoNoCamera = -243,
    kKavoNoChildMade = -244,
    kKavoValueNotOffered = -245,
    kKavoWrongGroupType = -246,
    kKavoNoSuchChild = -247,
    kKavoNotOpen = -248,
    kKavoBufferTooSmall = -249,
    kKavoAlreadyRead = -250,
    kKavoNotAllowed = -251,
    kKavoOutOfMemory = -252,
    kKavoAlreadyLoaded = -253,
    kKavoNoEntryPoint = -254,
    kKavoLoadFailed = -255,
};

// The file format word of KavoDataInfo.
enum KavoFileFormat : uint32_t {
    kKavoFormatJpeg = 1,
    kKavoFormatTiff = 2,
    kKavoFormatRaw = 4,
};

// ---- Records --------------------------------------------------------------

#pragma pack(push, 1)

// Its address identifies an object to the module.
struct KavoObjectRecord {
    uint32_t type;  // set by the module; 3 is an item
    uint32_t id;    // within the parent, set by the module
    void* clientReference;
    void* moduleReference;  // null until the module sets it
};

struct tagQzKAVOCapInfo {
    uint32_t id;
    uint32_t type;        // KavoCapabilityType
    uint32_t attributes;  // KavoCapabilityAttribute and the module's own flags
    uint32_t operations;  // KavoOperation
    char description[256];
};

struct KavoCallbackRecord {
    void* procedure;  // null unregisters
    void* reference;
};

struct KavoDateTime {
    uint16_t year;
    uint16_t month;  // counted from 0
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint32_t fraction;  // the program writes milliseconds
};

struct KavoPoint {
    int32_t x, y;
};

struct KavoSize {
    int32_t width, height;
};

struct KavoRect {
    int32_t left, top, right, bottom;
};

struct KavoRangeRecord {
    double value;
    double defaultValue;
    uint32_t valueIndex;
    uint32_t defaultIndex;
    double lower;
    double upper;
    uint32_t stepCount;
};

struct KavoArrayRecord {
    uint32_t elementType;
    uint32_t elementCount;
    uint32_t dimensions[3];
    uint16_t bytesPerElement;
    uint16_t bitsPerElement;
    void* data;  // count x bytesPerElement bytes
};

// Element types 0 one byte per value, 1 and 2 four-byte values, 7 one block
// of NUL-terminated strings (count = bytes), 8 strings of 256 bytes each.
struct KavoListRecord {
    uint32_t elementType;
    uint32_t elementCount;
    uint32_t currentIndex;
    uint32_t defaultIndex;
    uint16_t bytesPerElement;
    void* data;
};

enum KavoListElementType : uint32_t {
    kKavoListBytes = 0,
    kKavoListLongs = 1,
    kKavoListUlongs = 2,
    kKavoListDoubles = 3,  // the module's own choice for lists of floating-point values
    kKavoListPackedStrings = 7,
    kKavoListStrings = 8,
};

enum KavoRequestKind : uint32_t {
    kKavoRequestMessage = 0,
    kKavoRequestOkCancel = 1,
    kKavoRequestYesNo = 2,
    kKavoRequestYesNoCancel = 3,
};

enum KavoAnswer : uint32_t {
    kKavoAnswerNone = 0,
    kKavoAnswerOk = 1,
    kKavoAnswerCancel = 2,
    kKavoAnswerYes = 3,
    kKavoAnswerNo = 4,
};

struct KavoUserRequest {
    uint32_t kind;           // KavoRequestKind
    uint32_t defaultAnswer;  // KavoAnswer
    uint32_t reserved1;
    const char* prompt;
    const char* detail;  // may be null or empty
    uint32_t reserved2;
    void* capabilities;  // non-null when the request also carries capabilities
};

struct KavoDataInfo {
    uint32_t moduleWord;  // the module's; the program does not read it
    uint32_t fileFormat;  // KavoFileFormat
    uint32_t total;
    uint32_t offset;  // 0 marks the first block
    uint32_t length;
    uint32_t ignore;  // non-zero: the receiving object ignores this delivery
};

#pragma pack(pop)

// ---- Procedures -----------------------------------------------------------

using KavoProgressProc = int32_t(KAVO_CALL*)(uint32_t command, uint32_t param, void* reference, uint32_t done,
                                             uint32_t total);
using KavoEventProc = int32_t(KAVO_CALL*)(void* reference, uint32_t event, uint32_t data);
using KavoUserRequestProc = int32_t(KAVO_CALL*)(void* reference, KavoUserRequest* request);
using KavoDataProc = int32_t(KAVO_CALL*)(void* reference, KavoDataInfo* info, void* data);
using KavoCompletionProc = int32_t(KAVO_CALL*)(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                               uint32_t dataType, void* data, void* reference, int32_t result);
// The module's single entry point, exported as "KAVOEntryPoint". The data
// argument is a pointer, or a value for data types 1 and 3.
using KavoEntryPointProc = int32_t(KAVO_CALL*)(KavoObjectRecord* object, uint32_t command, uint32_t param,
                                               uint32_t dataType, void* data, KavoCompletionProc completion,
                                               void* reference);

constexpr const char kKavoEntryPointName[] = "KAVOEntryPoint";

// ---- Layouts --------------------------------------------------------------

static_assert(sizeof(tagQzKAVOCapInfo) == 272);
static_assert(offsetof(tagQzKAVOCapInfo, description) == 16);
static_assert(sizeof(KavoDateTime) == 16);
static_assert(sizeof(KavoPoint) == 8 && sizeof(KavoSize) == 8 && sizeof(KavoRect) == 16);
static_assert(sizeof(KavoRangeRecord) == 44);
static_assert(offsetof(KavoRangeRecord, lower) == 24 && offsetof(KavoRangeRecord, stepCount) == 40);
static_assert(sizeof(KavoDataInfo) == 24);
static_assert(offsetof(KavoArrayRecord, bytesPerElement) == 20 && offsetof(KavoArrayRecord, data) == 24);
static_assert(offsetof(KavoListRecord, bytesPerElement) == 16 && offsetof(KavoListRecord, data) == 18);

#if defined(_WIN32) && defined(__i386__)
static_assert(sizeof(KavoObjectRecord) == 16);
static_assert(sizeof(KavoCallbackRecord) == 8);
static_assert(sizeof(KavoArrayRecord) == 28);
static_assert(sizeof(KavoListRecord) == 22);
static_assert(sizeof(KavoUserRequest) == 28);
#endif
