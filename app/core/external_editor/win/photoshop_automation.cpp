#include "app/core/external_editor/win/photoshop_automation.h"

namespace {

// The editor's dispatch ids.
constexpr DISPID kDispExecuteAction = 0x60020000;
constexpr DISPID kDispVersion = 0x60020000;
constexpr DISPID kDispQuit = 0x60020001;
constexpr DISPID kDispOpen = 0x60020002;
constexpr DISPID kDispMakeControlObject = 0x60020005;
constexpr DISPID kDispMakeDescriptor = 0x60020006;
constexpr DISPID kDispMakeReference = 0x60020008;
constexpr DISPID kDispVisible = 0x60020009;
constexpr DISPID kDispPutEnumerated = 0x6002000C;
constexpr DISPID kDispPutString = 0x6002000E;
constexpr DISPID kDispPutReference = 0x6002001A;

}  // namespace

void CPhotoshopActionDescriptor::PutString(long key, const char* value)
{
    InvokeHelper(kDispPutString, DISPATCH_METHOD, VT_EMPTY, nullptr, {clx::Arg::I4(key), clx::Arg::Str(value)});
}

void CPhotoshopActionDescriptor::PutReference(long key, IDispatch* reference)
{
    InvokeHelper(kDispPutReference, DISPATCH_METHOD, VT_EMPTY, nullptr,
                 {clx::Arg::I4(key), clx::Arg::Dispatch(reference)});
}

void CPhotoshopActionReference::PutEnumerated(long desiredClass, long enumType, long value)
{
    InvokeHelper(kDispPutEnumerated, DISPATCH_METHOD, VT_EMPTY, nullptr,
                 {clx::Arg::I4(desiredClass), clx::Arg::I4(enumType), clx::Arg::I4(value)});
}

IDispatch* CPhotoshopActionControl::ExecuteAction(long eventId, IDispatch* descriptor, long dialogMode)
{
    IDispatch* result = nullptr;
    InvokeHelper(kDispExecuteAction, DISPATCH_METHOD, VT_DISPATCH, &result,
                 {clx::Arg::I4(eventId), clx::Arg::Dispatch(descriptor), clx::Arg::I4(dialogMode)});
    return result;
}

CString CPhotoshopApplication::GetVersion()
{
    CString version;
    InvokeHelper(kDispVersion, DISPATCH_PROPERTYGET, VT_BSTR, &version);
    return version;
}

BOOL CPhotoshopApplication::GetVisible()
{
    BOOL visible = FALSE;
    InvokeHelper(kDispVisible, DISPATCH_PROPERTYGET, VT_BOOL, &visible);
    return visible;
}

void CPhotoshopApplication::SetVisible(BOOL visible)
{
    InvokeHelper(kDispVisible, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, {clx::Arg::Bool(visible != FALSE)});
}

IDispatch* CPhotoshopApplication::Open(const char* path)
{
    IDispatch* document = nullptr;
    InvokeHelper(kDispOpen, DISPATCH_METHOD, VT_DISPATCH, &document, {clx::Arg::Str(path)});
    return document;
}

IDispatch* CPhotoshopApplication::MakeControlObject()
{
    IDispatch* control = nullptr;
    InvokeHelper(kDispMakeControlObject, DISPATCH_METHOD, VT_DISPATCH, &control);
    return control;
}

IDispatch* CPhotoshopApplication::MakeDescriptor()
{
    IDispatch* descriptor = nullptr;
    InvokeHelper(kDispMakeDescriptor, DISPATCH_METHOD, VT_DISPATCH, &descriptor);
    return descriptor;
}

IDispatch* CPhotoshopApplication::MakeReference()
{
    IDispatch* reference = nullptr;
    InvokeHelper(kDispMakeReference, DISPATCH_METHOD, VT_DISPATCH, &reference);
    return reference;
}

void CPhotoshopApplication::Quit()
{
    InvokeHelper(kDispQuit, DISPATCH_METHOD, VT_EMPTY, nullptr);
}
