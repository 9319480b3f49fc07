// OLE automation: the dispatch driver's argument marshalling, results and
// exceptions against a recording IDispatch, the message filter, and the
// whole path from a ProgID under HKEY_CLASSES_ROOT to a running or a new
// automation object.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "clx/ole.h"
#include "clx/sync.h"
#include "clx/thread.h"
#include "testing/gui_test.h"

namespace {

class OleEnvironment : public ::testing::Environment {
public:
  void TearDown() override { AfxOleTerm(); }
};
[[maybe_unused]] auto* const g_oleEnvironment = ::testing::AddGlobalTestEnvironment(new OleEnvironment);

class OleTest : public GuiTest {
protected:
  void SetUp() override {
    GuiTest::SetUp();
    ASSERT_TRUE(AfxOleInit());
  }
};

// An automation object that records every call and answers as told.
class FakeDispatch final : public IDispatch {
public:
  struct Call {
    DISPID id;
    WORD flags;
    std::vector<clx::Variant> args;  // in the caller's order
    std::vector<DISPID> named;
  };
  std::vector<Call> calls;
  clx::Variant answer;
  HRESULT failure = S_OK;
  // DISP_E_EXCEPTION with these, when `raise`.
  bool raise = false;
  bool deferred = false;
  SCODE scode = 0;
  WORD wCode = 0;
  const wchar_t* description = L"";
  LONG refs = 1;
  bool deleteAtZero = false;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IDispatch)) {
      *out = static_cast<IDispatch*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&refs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = ::InterlockedDecrement(&refs);
    if (left == 0 && deleteAtZero) delete this;
    return static_cast<ULONG>(left);
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* info, UINT*) override {
    Call call{id, flags, {}, {}};
    for (UINT i = params->cArgs; i-- > 0;) call.args.emplace_back(params->rgvarg[i]);
    call.named.assign(params->rgdispidNamedArgs, params->rgdispidNamedArgs + params->cNamedArgs);
    calls.push_back(std::move(call));
    if (raise) {
      *info = EXCEPINFO{};
      if (deferred) {
        info->pfnDeferredFillIn = &FillIn;
      } else {
        info->scode = scode;
        info->wCode = wCode;
        info->bstrDescription = ::SysAllocString(description);
        info->bstrSource = ::SysAllocString(L"Fake");
      }
      return DISP_E_EXCEPTION;
    }
    if (failure != S_OK) return failure;
    if (result) ::VariantCopy(result, &answer);
    return S_OK;
  }

  static HRESULT STDMETHODCALLTYPE FillIn(EXCEPINFO* info) {
    info->scode = E_ACCESSDENIED;
    info->bstrDescription = ::SysAllocString(L"filled in later");
    info->pfnDeferredFillIn = nullptr;
    return S_OK;
  }
};

std::wstring Wide(const VARIANT& v) { return v.bstrVal ? std::wstring(v.bstrVal, ::SysStringLen(v.bstrVal)) : L""; }

// ---------------------------------------------------------------- marshalling

TEST_F(OleTest, InvokeHelperPassesTypedArgumentsInTheirOrder) {
  FakeDispatch object, other;
  COleDispatchDriver driver(&object, FALSE);
  clx::Variant index(3L);
  // 0xE9 is e-acute in code page 1252: the ANSI text reaches the object as UTF-16.
  driver.InvokeHelper(15, DISPATCH_METHOD, VT_EMPTY, nullptr,
                      {clx::Arg::Str("C:\\Caf\xE9\\x.cat"), clx::Arg::I4(-7), clx::Arg::Bool(true),
                       clx::Arg::Dispatch(&other), clx::Arg::Variant(index), clx::Arg::Str(nullptr)});
  ASSERT_EQ(object.calls.size(), 1u);
  const FakeDispatch::Call& call = object.calls[0];
  EXPECT_EQ(call.id, 15);
  EXPECT_EQ(call.flags, DISPATCH_METHOD);
  EXPECT_TRUE(call.named.empty());
  ASSERT_EQ(call.args.size(), 6u);
  EXPECT_EQ(call.args[0].vt, VT_BSTR);
  EXPECT_EQ(Wide(call.args[0]), L"C:\\Caf\u00E9\\x.cat");
  EXPECT_EQ(call.args[1].vt, VT_I4);
  EXPECT_EQ(call.args[1].lVal, -7);
  EXPECT_EQ(call.args[2].vt, VT_BOOL);
  EXPECT_EQ(call.args[2].boolVal, VARIANT_TRUE);
  EXPECT_EQ(call.args[3].vt, VT_DISPATCH);
  EXPECT_EQ(call.args[3].pdispVal, &other);
  EXPECT_EQ(call.args[4].vt, VT_I4);
  EXPECT_EQ(call.args[4].lVal, 3);
  EXPECT_EQ(call.args[5].vt, VT_BSTR);
  EXPECT_EQ(Wide(call.args[5]), L"");
  object.calls.clear();  // the recorded copy held a reference to `other`
  EXPECT_EQ(other.refs, 1) << "the call gave back the reference it took";

  driver.InvokeHelper(0x60020009, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, {clx::Arg::Bool(false)});
  ASSERT_EQ(object.calls.size(), 1u);
  EXPECT_EQ(object.calls[0].named, std::vector<DISPID>{DISPID_PROPERTYPUT}) << "the value is the named argument";
  EXPECT_EQ(object.calls[0].args[0].boolVal, VARIANT_FALSE);
  EXPECT_THROW(driver.InvokeHelper(0x60020009, DISPATCH_PROPERTYPUT, VT_EMPTY, nullptr, {}), COleException);
  EXPECT_EQ(object.refs, 1);
}

TEST_F(OleTest, InvokeHelperConvertsTheResultToTheAskedType) {
  FakeDispatch object, child;
  COleDispatchDriver driver(&object, FALSE);

  object.answer = clx::Variant("C:\\Catalogs\\Studio.cat");
  CString path;
  driver.InvokeHelper(8, DISPATCH_PROPERTYGET, VT_BSTR, &path);
  EXPECT_EQ(path, "C:\\Catalogs\\Studio.cat");
  EXPECT_EQ(object.calls.back().flags, DISPATCH_PROPERTYGET);
  EXPECT_TRUE(object.calls.back().args.empty());

  struct Case {
    VARIANT answer;
    long asLong;
    BOOL asBool;
  };
  VARIANT i2{}, i4{}, boolean{}, real{};
  i2.vt = VT_I2, i2.iVal = 5;
  i4.vt = VT_I4, i4.lVal = 0;
  boolean.vt = VT_BOOL, boolean.boolVal = VARIANT_TRUE;
  real.vt = VT_R8, real.dblVal = 2.6;
  for (const Case& c : {Case{i2, 5, TRUE}, Case{i4, 0, FALSE}, Case{boolean, -1, TRUE}, Case{real, 3, TRUE}}) {
    SCOPED_TRACE(c.answer.vt);
    object.answer = clx::Variant(c.answer);
    long asLong = 99;
    BOOL asBool = 99;
    driver.InvokeHelper(3, DISPATCH_PROPERTYGET, VT_I4, &asLong);
    driver.InvokeHelper(0x60020009, DISPATCH_PROPERTYGET, VT_BOOL, &asBool);
    EXPECT_EQ(asLong, c.asLong);
    EXPECT_EQ(asBool, c.asBool);
  }

  // An object result is a reference the caller owns; "no object" is null.
  object.answer = clx::Variant(static_cast<IDispatch*>(&child));
  IDispatch* got = nullptr;
  driver.InvokeHelper(16, DISPATCH_PROPERTYGET, VT_DISPATCH, &got);
  EXPECT_EQ(got, &child);
  object.answer.Clear();
  EXPECT_EQ(child.refs, 2);
  got->Release();
  driver.InvokeHelper(16, DISPATCH_PROPERTYGET, VT_DISPATCH, &got);
  EXPECT_EQ(got, nullptr);

  clx::Variant whole;
  object.answer = clx::Variant(7L);
  driver.InvokeHelper(7, DISPATCH_PROPERTYGET, VT_VARIANT, &whole);
  EXPECT_EQ(whole.vt, VT_I4);
  EXPECT_EQ(whole.lVal, 7);

  object.answer = clx::Variant("not a number");
  long count = 0;
  try {
    driver.InvokeHelper(3, DISPATCH_PROPERTYGET, VT_I4, &count);
    ADD_FAILURE() << "a result of the wrong type was taken";
  } catch (const COleException& e) {
    EXPECT_EQ(e.m_sc, DISP_E_TYPEMISMATCH);
  }
  object.answer.Clear();
  EXPECT_EQ(child.refs, 1);
}

TEST_F(OleTest, InvokeHelperThrowsTheObjectsErrorsAndReleasesItsArguments) {
  FakeDispatch object, argument;
  COleDispatchDriver driver(&object, FALSE);
  object.raise = true;
  object.scode = static_cast<SCODE>(0x80040201);
  object.description = L"The catalog is locked \u00E9";
  try {
    driver.InvokeHelper(30, DISPATCH_METHOD, VT_EMPTY, nullptr, {clx::Arg::Dispatch(&argument)});
    ADD_FAILURE() << "no exception";
  } catch (const COleDispatchException& e) {
    EXPECT_EQ(e.m_scError, static_cast<SCODE>(0x80040201));
    EXPECT_EQ(e.m_strDescription, "The catalog is locked \xE9");
    EXPECT_EQ(e.m_strSource, "Fake");
  }
  object.calls.clear();
  EXPECT_EQ(argument.refs, 1);

  object.scode = 0;
  object.wCode = 1001;
  object.description = L"";
  try {
    driver.InvokeHelper(30, DISPATCH_METHOD, VT_EMPTY, nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const COleDispatchException& e) {
    EXPECT_EQ(e.m_scError, 0);
    EXPECT_EQ(e.m_wCode, 1001);
  }

  object.deferred = true;
  try {
    driver.InvokeHelper(30, DISPATCH_METHOD, VT_EMPTY, nullptr);
    ADD_FAILURE() << "no exception";
  } catch (const COleDispatchException& e) {
    EXPECT_EQ(e.m_scError, E_ACCESSDENIED);
    EXPECT_EQ(e.m_strDescription, "filled in later");
  }

  object.raise = false;
  object.failure = DISP_E_MEMBERNOTFOUND;
  try {
    long value = 0;
    driver.InvokeHelper(99, DISPATCH_PROPERTYGET, VT_I4, &value);
    ADD_FAILURE() << "no exception";
  } catch (const COleException& e) {
    EXPECT_EQ(e.m_sc, DISP_E_MEMBERNOTFOUND);
  }

  COleDispatchDriver empty;
  EXPECT_THROW(empty.InvokeHelper(1, DISPATCH_METHOD, VT_EMPTY, nullptr), COleException);
}

TEST_F(OleTest, DriverReleasesOnlyWhatItWasGivenToRelease) {
  FakeDispatch object;
  {
    COleDispatchDriver borrowed(&object, FALSE);
  }
  EXPECT_EQ(object.refs, 1);
  object.AddRef();
  {
    COleDispatchDriver owner;
    owner.AttachDispatch(&object);
    COleDispatchDriver copy(owner);
    EXPECT_EQ(object.refs, 3);
    copy.ReleaseDispatch();
    EXPECT_EQ(copy.m_lpDispatch, nullptr);
    EXPECT_EQ(object.refs, 2);
    IDispatch* kept = owner.DetachDispatch();
    EXPECT_EQ(kept, &object);
    EXPECT_EQ(object.refs, 2);
    owner.AttachDispatch(kept, TRUE);
  }
  EXPECT_EQ(object.refs, 1);
}

// ---------------------------------------------------------------- message filter

TEST_F(OleTest, TheApplicationsMessageFilterIsRegisteredAndRetriesABusyServer) {
  COleMessageFilter* filter = AfxOleGetMessageFilter();
  ASSERT_NE(filter, nullptr);
  IMessageFilter* current = nullptr;
  ASSERT_EQ(::CoRegisterMessageFilter(nullptr, &current), S_OK);
  EXPECT_EQ(current, static_cast<IMessageFilter*>(filter));
  ::CoRegisterMessageFilter(current, nullptr);
  if (current) current->Release();

  constexpr DWORD kCancel = 0xFFFFFFFF;
  struct Case {
    const char* what;
    DWORD delay, retry;
    BOOL busyDialog;
    DWORD waited, reject, answer;
  } cases[] = {
      {"busy, within the delay", 8000, 5000, TRUE, 100, SERVERCALL_RETRYLATER, 5000},
      {"busy past the delay: the dialog's place", 8000, 5000, TRUE, 8000, SERVERCALL_RETRYLATER, kCancel},
      {"no busy dialog: patience", 5000, 500, FALSE, 60000, SERVERCALL_RETRYLATER, 500},
      {"refused outright", 5000, 500, FALSE, 0, SERVERCALL_REJECTED, kCancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    filter->SetMessagePendingDelay(c.delay);
    filter->SetRetryReply(c.retry);
    filter->EnableBusyDialog(c.busyDialog);
    EXPECT_EQ(filter->RetryRejectedCall(nullptr, c.waited, c.reject), c.answer);
    EXPECT_EQ(filter->MessagePending(nullptr, c.waited, PENDINGTYPE_TOPLEVEL),
              static_cast<DWORD>(PENDINGMSG_WAITDEFPROCESS));
  }
  filter->SetMessagePendingDelay(8000);
  filter->SetRetryReply(5000);
  filter->EnableBusyDialog(TRUE);
}

UINT OleInitInMultithreadedApartment(void* result) {
  ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  *static_cast<int*>(result) = (AfxOleInit() ? 1 : 0) + (AfxOleGetMessageFilter() ? 2 : 0);
  AfxOleTerm();
  ::CoUninitialize();
  return 0;
}

TEST_F(OleTest, OleInitFailsOnAThreadThatChoseTheMultithreadedApartment) {
  int result = -1;
  CWinThread* t = AfxBeginThread(&OleInitInMultithreadedApartment, &result, THREAD_PRIORITY_NORMAL, 0,
                                 CREATE_SUSPENDED);
  ASSERT_NE(t, nullptr);
  t->m_bAutoDelete = false;
  t->ResumeThread();
  ASSERT_EQ(clx::WaitServicingSent(t->m_hThread, 20000), WAIT_OBJECT_0);
  delete t;
  EXPECT_EQ(result, 0) << "no OLE and no filter";
}

// ---------------------------------------------------------------- the automation path

// {6E1D5B2A-4C3F-4B8E-9A71-2D5C0F3E8B14}
const CLSID kFakeClsid = {0x6e1d5b2a, 0x4c3f, 0x4b8e, {0x9a, 0x71, 0x2d, 0x5c, 0x0f, 0x3e, 0x8b, 0x14}};
const char kFakeClsidText[] = "{6E1D5B2A-4C3F-4B8E-9A71-2D5C0F3E8B14}";
const char kFakeProgId[] = "Tessaline.TestAutomation";

// Makes the objects CoCreateInstance asks for, and keeps them for the test.
class FakeFactory : public IClassFactory {
public:
  std::vector<FakeDispatch*> made;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IClassFactory)) {
      *out = static_cast<IClassFactory*>(this);
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    auto* object = new FakeDispatch;
    object->deleteAtZero = true;
    object->answer = clx::Variant(42L);
    made.push_back(object);
    object->AddRef();  // the factory's own, for the test to look at
    HRESULT hr = object->QueryInterface(iid, out);
    object->Release();
    return hr;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

  ~FakeFactory() {
    for (FakeDispatch* object : made) object->Release();
  }
};

// Runs its action when the test leaves its scope, however it leaves.
struct Revoker {
  std::function<void()> action;
  ~Revoker() { action(); }
};

// The ProgID under HKEY_CLASSES_ROOT, where CLSIDFromProgID looks (not
// HKCU\Software\Classes), for the life of the test.
class ProgIdRegistration {
public:
  ProgIdRegistration() {
    HKEY key = nullptr;
    std::string path = std::string(kFakeProgId) + "\\CLSID";
    ok = ::RegCreateKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) ==
             ERROR_SUCCESS &&
         ::RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kFakeClsidText),
                          sizeof kFakeClsidText) == ERROR_SUCCESS;
    if (key) ::RegCloseKey(key);
  }
  ~ProgIdRegistration() {
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, (std::string(kFakeProgId) + "\\CLSID").c_str());
    ::RegDeleteKeyA(HKEY_CLASSES_ROOT, kFakeProgId);
  }
  bool ok = false;
};

TEST_F(OleTest, AutomationServerIsFoundByProgIdAndDrivenWhetherRunningOrNew) {
  COleDispatchDriver missing;
  COleException error(S_OK);
  EXPECT_FALSE(missing.CreateDispatch("Tessaline.NotInstalled", &error));
  EXPECT_TRUE(FAILED(error.m_sc));
  EXPECT_EQ(missing.m_lpDispatch, nullptr);

  ProgIdRegistration registration;
  ASSERT_TRUE(registration.ok);
  CLSID clsid{};
  ASSERT_EQ(::CLSIDFromProgID(L"Tessaline.TestAutomation", &clsid), S_OK);
  EXPECT_TRUE(::IsEqualCLSID(clsid, kFakeClsid));

  // Not running, and no server yet: nothing to attach to, nothing to create.
  IUnknown* running = nullptr;
  EXPECT_TRUE(FAILED(::GetActiveObject(clsid, nullptr, &running)));
  COleDispatchDriver none;
  EXPECT_FALSE(none.CreateDispatch(kFakeProgId, &error));
  EXPECT_TRUE(FAILED(error.m_sc));

  FakeFactory factory;
  DWORD classCookie = 0;
  ASSERT_EQ(::CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &classCookie), S_OK);
  // A failed assertion below must not leave COM holding the factory on this
  // frame: it would call into it after the test ended.
  Revoker revokeClass{[&] {
    if (classCookie) ::CoRevokeClassObject(classCookie);
  }};

  // A new instance, made through the ProgID.
  {
    COleDispatchDriver app;
    ASSERT_TRUE(app.CreateDispatch(kFakeProgId, &error)) << std::hex << error.m_sc;
    ASSERT_EQ(factory.made.size(), 1u);
    long count = 0;
    app.InvokeHelper(3, DISPATCH_PROPERTYGET, VT_I4, &count);
    EXPECT_EQ(count, 42);
    clx::Variant emptyText("");
    app.InvokeHelper(15, DISPATCH_METHOD, VT_EMPTY, nullptr,
                     {clx::Arg::Str("C:\\Studio.cat"), clx::Arg::Variant(emptyText)});
    ASSERT_EQ(factory.made[0]->calls.size(), 2u);
    EXPECT_EQ(Wide(factory.made[0]->calls[1].args[0]), L"C:\\Studio.cat");
  }

  // A running instance, registered as the active object of its class, is
  // the one attached to: no second instance is made.
  FakeDispatch* instance = factory.made[0];
  DWORD activeCookie = 0;
  Revoker revokeActive{[&] {
    if (activeCookie) ::RevokeActiveObject(activeCookie, nullptr);
  }};
  ASSERT_EQ(::RegisterActiveObject(instance, clsid, ACTIVEOBJECT_STRONG, &activeCookie), S_OK);
  ASSERT_EQ(::GetActiveObject(clsid, nullptr, &running), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(running->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  running->Release();
  {
    COleDispatchDriver app;
    app.AttachDispatch(dispatch);
    app.InvokeHelper(30, DISPATCH_METHOD, VT_EMPTY, nullptr, {clx::Arg::Str("C:\\Images\\DSC_0001.tif")});
  }
  ASSERT_EQ(instance->calls.size(), 3u);
  EXPECT_EQ(instance->calls[2].id, 30);
  EXPECT_EQ(Wide(instance->calls[2].args[0]), L"C:\\Images\\DSC_0001.tif");
  EXPECT_EQ(factory.made.size(), 1u);

  EXPECT_EQ(::RevokeActiveObject(std::exchange(activeCookie, 0), nullptr), S_OK);
  EXPECT_EQ(::CoRevokeClassObject(std::exchange(classCookie, 0)), S_OK);
  EXPECT_EQ(instance->refs, 1) << "every reference but the factory's was released";
}

}  // namespace
