// Thin automation wrappers of the outside image editor ("Photoshop.Application"):
// each call is one member of the editor's dispatch interface by its dispatch
// id. Failures arrive as the class library's COleDispatchException or
// COleException; callers catch them.
#pragma once

#include <cstdint>

#include "clx/ole.h"

// A four-character code as the editor's action calls take it: 'Dcmn'.
constexpr long PhotoshopCode(const char (&text)[5])
{
    return static_cast<long>(static_cast<uint32_t>(static_cast<uint8_t>(text[0])) << 24 |
                             static_cast<uint32_t>(static_cast<uint8_t>(text[1])) << 16 |
                             static_cast<uint32_t>(static_cast<uint8_t>(text[2])) << 8 |
                             static_cast<uint32_t>(static_cast<uint8_t>(text[3])));
}

inline constexpr char kPhotoshopProgId[] = "Photoshop.Application";

class CPhotoshopActionDescriptor : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    void PutString(long key, const char* value);
    void PutReference(long key, IDispatch* reference);
};

class CPhotoshopActionReference : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    void PutEnumerated(long desiredClass, long enumType, long value);
};

class CPhotoshopActionControl : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    // The result object; the caller releases it.
    IDispatch* ExecuteAction(long eventId, IDispatch* descriptor, long dialogMode);
};

class CPhotoshopApplication : public COleDispatchDriver {
public:
    using COleDispatchDriver::COleDispatchDriver;
    CString GetVersion();
    BOOL GetVisible();
    void SetVisible(BOOL visible);
    // The opened document; the caller releases it.
    IDispatch* Open(const char* path);
    IDispatch* MakeControlObject();
    IDispatch* MakeDescriptor();
    IDispatch* MakeReference();
    // On the application it quits; on a document object the same member closes it.
    void Quit();
};
