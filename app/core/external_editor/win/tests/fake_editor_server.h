// A fake outside image editor for the tests: an automation server written
// here that logs every call it gets, registered under the editor's program id
// in the test prefix while a test runs.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/core/external_editor/win/photoshop_automation.h"
#include "clx/ole.h"

namespace fake_editor {

class OleEnvironment : public ::testing::Environment {
public:
    void TearDown() override { AfxOleTerm(); }
};
inline auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

inline std::string Narrow(const VARIANT& v)
{
    if (v.vt != VT_BSTR || !v.bstrVal)
        return "?";
    return std::string(clx::BstrToAnsi(v.bstrVal));
}

inline std::string CodeText(const VARIANT& v)
{
    if (v.vt != VT_I4)
        return "?";
    const uint32_t code = static_cast<uint32_t>(v.lVal);
    return {static_cast<char>(code >> 24), static_cast<char>(code >> 16), static_cast<char>(code >> 8),
            static_cast<char>(code)};
}

// What a successful hand-over asks of the editor, in order: hidden while its
// version is read, shown, the file opened, duplicated into a new document
// named after string "Untitled", the opened one closed.
inline const std::vector<std::string> kHandOverCalls = {
    "app.SetVisible(false)",
    "app.GetVersion",
    "app.SetVisible(true)",
    "app.GetVisible",
    "app.MakeControlObject",
    "app.Open",
    "app.MakeReference",
    "reference.PutEnumerated(Dcmn, Ordn, Trgt)",
    "app.MakeDescriptor",
    "descriptor.PutReference(null, reference)",
    "descriptor.PutString(Nm  , Untitled)",
    "control.ExecuteAction(Dplc, descriptor, 2)",
    "document.Close",
};

// What the fake editor does, and what it was asked.
struct Editor {
    std::string version = "14.0";
    bool showable = true;
    bool failOpen = false;
    bool failDuplicate = false;
    HRESULT refuseCreation = S_OK;
    int made = 0;  // instances the factory made

    std::vector<std::string> log;
    bool visible = true;
    int alive = 0;  // objects not yet released
    std::string openedPath;
    bool openedReadOnly = false;
    IDispatch* descriptor = nullptr;
    IDispatch* reference = nullptr;
};

class FakeObject final : public IDispatch {
public:
    FakeObject(Editor& editor, const char* kind) : editor_(editor), kind_(kind) { ++editor_.alive; }
    ~FakeObject() { --editor_.alive; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = --refs_;
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override
    {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* info, UINT*) override
    {
        std::vector<VARIANT> args;  // in the caller's order
        for (UINT i = params->cArgs; i-- > 0;)
            args.push_back(params->rgvarg[i]);
        const std::string kind = kind_;
        const auto logCall = [&](const std::string& text) { editor_.log.push_back(kind + "." + text); };
        const auto give = [&](const char* childKind) {
            auto* child = new FakeObject(editor_, childKind);
            if (result) {
                result->vt = VT_DISPATCH;
                result->pdispVal = child;
            } else {
                child->Release();
            }
            return child;
        };
        const auto raise = [&]() {
            *info = EXCEPINFO{};
            info->scode = E_FAIL;
            info->bstrDescription = ::SysAllocString(L"refused");
            return DISP_E_EXCEPTION;
        };
        if (kind == "app") {
            switch (id) {
            case 0x60020009:
                if (flags & DISPATCH_PROPERTYPUT) {
                    const bool show = args.size() == 1 && args[0].vt == VT_BOOL && args[0].boolVal != VARIANT_FALSE;
                    logCall(show ? "SetVisible(true)" : "SetVisible(false)");
                    editor_.visible = show && editor_.showable;
                    return S_OK;
                }
                logCall("GetVisible");
                result->vt = VT_BOOL;
                result->boolVal = editor_.visible ? VARIANT_TRUE : VARIANT_FALSE;
                return S_OK;
            case 0x60020000: {
                logCall("GetVersion");
                clx::Variant text(editor_.version.c_str());
                return ::VariantCopy(result, &text);
            }
            case 0x60020002: {
                editor_.openedPath = args.empty() ? "" : Narrow(args[0]);
                logCall("Open");
                const DWORD attributes = ::GetFileAttributesA(editor_.openedPath.c_str());
                editor_.openedReadOnly =
                    attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
                if (editor_.failOpen)
                    return raise();
                give("document");
                return S_OK;
            }
            case 0x60020005:
                logCall("MakeControlObject");
                give("control");
                return S_OK;
            case 0x60020006:
                logCall("MakeDescriptor");
                editor_.descriptor = give("descriptor");
                return S_OK;
            case 0x60020008:
                logCall("MakeReference");
                editor_.reference = give("reference");
                return S_OK;
            case 0x60020001:
                logCall("Quit");
                return S_OK;
            }
        } else if (kind == "reference" && id == 0x6002000C && args.size() == 3) {
            logCall("PutEnumerated(" + CodeText(args[0]) + ", " + CodeText(args[1]) + ", " + CodeText(args[2]) + ")");
            return S_OK;
        } else if (kind == "descriptor" && id == 0x6002001A && args.size() == 2) {
            const bool ours = args[1].vt == VT_DISPATCH && args[1].pdispVal == editor_.reference;
            logCall("PutReference(" + CodeText(args[0]) + (ours ? ", reference)" : ", ?)"));
            return S_OK;
        } else if (kind == "descriptor" && id == 0x6002000E && args.size() == 2) {
            logCall("PutString(" + CodeText(args[0]) + ", " + Narrow(args[1]) + ")");
            return S_OK;
        } else if (kind == "control" && id == 0x60020000 && args.size() == 3) {
            const bool ours = args[1].vt == VT_DISPATCH && args[1].pdispVal == editor_.descriptor;
            logCall("ExecuteAction(" + CodeText(args[0]) + (ours ? ", descriptor, " : ", ?, ") +
                    std::to_string(args[2].vt == VT_I4 ? args[2].lVal : -1) + ")");
            if (editor_.failDuplicate)
                return raise();
            give("duplicate");
            return S_OK;
        } else if (kind == "document" && id == 0x60020001) {
            logCall("Close");
            return S_OK;
        }
        logCall("unknown " + std::to_string(id));
        return DISP_E_MEMBERNOTFOUND;
    }

private:
    Editor& editor_;
    const char* kind_;
    LONG refs_ = 1;
};

class FakeFactory : public IClassFactory {
public:
    explicit FakeFactory(Editor& editor) : editor_(editor) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override
    {
        *out = nullptr;
        if (outer)
            return CLASS_E_NOAGGREGATION;
        if (FAILED(editor_.refuseCreation))
            return editor_.refuseCreation;
        auto* app = new FakeObject(editor_, "app");
        ++editor_.made;
        const HRESULT hr = app->QueryInterface(iid, out);
        app->Release();
        return hr;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Editor& editor_;
};

// {3C1E8F52-7A4D-4E0B-B6A3-91D2C75E0F36}
inline const CLSID kFakeEditorClsid = {0x3c1e8f52, 0x7a4d, 0x4e0b, {0xb6, 0xa3, 0x91, 0xd2, 0xc7, 0x5e, 0x0f, 0x36}};
inline constexpr char kFakeEditorClsidText[] = "{3C1E8F52-7A4D-4E0B-B6A3-91D2C75E0F36}";

// The editor's program id under HKEY_CLASSES_ROOT for the life of a test.
class ProgIdRegistration {
public:
    ProgIdRegistration()
    {
        HKEY key = nullptr;
        const std::string path = std::string(kPhotoshopProgId) + "\\CLSID";
        ok = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
                 ERROR_SUCCESS &&
             ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFakeEditorClsidText),
                              sizeof kFakeEditorClsidText) == ERROR_SUCCESS;
        if (key)
            ::RegCloseKey(key);
    }
    ~ProgIdRegistration()
    {
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kPhotoshopProgId) + "\\CLSID").c_str());
        ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kPhotoshopProgId);
    }
    bool ok = false;
};

// The fake editor's class object, found through the program id while it is registered.
class FakeEditorServer {
public:
    FakeEditorServer() = default;
    FakeEditorServer(const FakeEditorServer&) = delete;
    FakeEditorServer& operator=(const FakeEditorServer&) = delete;
    ~FakeEditorServer() { Revoke(); }

    // After OLE was initialised on this thread.
    bool Register()
    {
        return registration_.ok && ::CoRegisterClassObject(kFakeEditorClsid, &factory_, CLSCTX_LOCAL_SERVER,
                                                           REGCLS_MULTIPLEUSE, &cookie_) == S_OK;
    }
    bool Revoke()
    {
        const DWORD cookie = cookie_;
        cookie_ = 0;
        return !cookie || ::CoRevokeClassObject(cookie) == S_OK;
    }

    Editor editor;

private:
    FakeFactory factory_{editor};
    ProgIdRegistration registration_;
    DWORD cookie_ = 0;
};

}  // namespace fake_editor
