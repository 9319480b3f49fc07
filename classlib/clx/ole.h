#pragma once
// OLE automation from the client's side: OLE initialised with the
// application's message filter, a dispatch driver that calls an automation
// object's members with a typed argument list, and the two exceptions its
// calls throw (callers that drive an outside application catch them).
#include <initializer_list>
#include <utility>

#include "clx/string.h"
#include "clx/win.h"

#include <ole2.h>
#include <oleauto.h>

// A call that failed with a plain result code (no member, wrong type,
// server unavailable, a result of the wrong type).
class COleException {
public:
  explicit COleException(SCODE sc) : m_sc(sc) {}
  SCODE m_sc;
};

// The automation object itself raised an error (DISP_E_EXCEPTION): its
// code and its own description, converted to the ANSI code page.
class COleDispatchException {
public:
  SCODE m_scError = 0;  // the object's SCODE; 0 when it gave only m_wCode
  WORD m_wCode = 0;
  CString m_strDescription;
  CString m_strSource;
  CString m_strHelpFile;
  DWORD m_dwHelpContext = 0;
};

namespace clx {

// An owned VARIANT: cleared (strings freed, interfaces released) when it goes.
class Variant : public VARIANT {
public:
  Variant() { ::VariantInit(this); }
  explicit Variant(long value);
  explicit Variant(bool value);
  // ANSI text, converted to a BSTR; null gives an empty string.
  explicit Variant(const char* text);
  // Holds its own reference.
  explicit Variant(IDispatch* dispatch);
  explicit Variant(const VARIANT& other);
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { ::VariantClear(this); }

  void Clear() { ::VariantClear(this); }
};

// ANSI text (code page of the process) as a new BSTR, and back.
BSTR AnsiToBstr(const char* text);
CString BstrToAnsi(BSTR text);

// One argument of an automation call, by its automation type.
class Arg {
public:
  static Arg Str(const char* text) { return Arg(::clx::Variant(text)); }
  static Arg I4(long value) { return Arg(::clx::Variant(value)); }
  static Arg Bool(bool value) { return Arg(::clx::Variant(value)); }
  static Arg Dispatch(IDispatch* dispatch) { return Arg(::clx::Variant(dispatch)); }
  // Passed by value, whatever it holds (an index as VT_I4, an empty string, ...).
  static Arg Variant(const VARIANT& value) { return Arg(::clx::Variant(value)); }

  const VARIANT& Value() const { return m_value; }

private:
  explicit Arg(::clx::Variant value) : m_value(std::move(value)) {}
  ::clx::Variant m_value;
};

}  // namespace clx

// A client of one automation object (its IDispatch). Members are called by
// dispatch id; failures throw COleDispatchException or COleException.
class COleDispatchDriver {
public:
  COleDispatchDriver() = default;
  explicit COleDispatchDriver(IDispatch* dispatch, BOOL autoRelease = TRUE)
      : m_lpDispatch(dispatch), m_bAutoRelease(autoRelease) {}
  // A copy holds its own reference.
  COleDispatchDriver(const COleDispatchDriver& other);
  COleDispatchDriver& operator=(const COleDispatchDriver& other);
  ~COleDispatchDriver() { ReleaseDispatch(); }

  // A new instance of the class (in-process or local server). False, with
  // the cause in `error` when given, when it cannot be made or has no IDispatch.
  BOOL CreateDispatch(REFCLSID clsid, COleException* error = nullptr);
  // The class found by its ProgID under HKEY_CLASSES_ROOT.
  BOOL CreateDispatch(const char* progId, COleException* error = nullptr);
  // Takes `dispatch`; with `autoRelease` the driver releases it when done.
  void AttachDispatch(IDispatch* dispatch, BOOL autoRelease = TRUE);
  // Gives the interface up without releasing it.
  IDispatch* DetachDispatch();
  void ReleaseDispatch();

  // Calls member `id` as `flags` (DISPATCH_METHOD, DISPATCH_PROPERTYGET,
  // DISPATCH_PROPERTYPUT: the last argument is the value) with `args` in
  // order. The result, converted to `vtRet`, goes to `ret`:
  //   VT_EMPTY nothing (ret may be null), VT_I2 short*, VT_I4 long*,
  //   VT_R4 float*, VT_R8 double*, VT_BOOL BOOL*, VT_BSTR CString* (ANSI),
  //   VT_DISPATCH/VT_UNKNOWN IDispatch**/IUnknown** (a reference the caller
  //   releases, null when the member gave none), VT_VARIANT VARIANT*
  //   (cleared first; the caller clears it).
  void InvokeHelper(DISPID id, WORD flags, VARTYPE vtRet, void* ret, std::initializer_list<clx::Arg> args = {});

  IDispatch* m_lpDispatch = nullptr;
  BOOL m_bAutoRelease = TRUE;
};

// The application's IMessageFilter: what a call to a busy automation server
// does. This layer shows neither the busy nor the not-responding dialog.
// A server that answers "retry later" is tried again after the retry reply;
// once the call has waited the pending delay, an enabled busy dialog would
// come up, and in its place the call is cancelled (RPC_E_SERVERCALL_RETRYLATER
// reaches the caller). A slow server that is working is always waited for.
class COleMessageFilter : public IMessageFilter {
public:
  COleMessageFilter() = default;
  virtual ~COleMessageFilter();
  COleMessageFilter(const COleMessageFilter&) = delete;
  COleMessageFilter& operator=(const COleMessageFilter&) = delete;

  // CoRegisterMessageFilter on the calling thread; Revoke puts back the
  // filter that was there before.
  BOOL Register();
  void Revoke();
  bool IsRegistered() const { return m_bRegistered; }

  // Time (ms) a call may wait on a busy server before the busy dialog
  // would be offered.
  void SetMessagePendingDelay(DWORD ms) { m_nTimeout = ms; }
  // Delay (ms) before a call rejected as "retry later" is tried again
  // (below 100: at once).
  void SetRetryReply(DWORD ms) { m_nRetryReply = ms; }
  void EnableBusyDialog(BOOL enable = TRUE) { m_bEnableBusy = enable != FALSE; }
  void EnableNotRespondingDialog(BOOL enable = TRUE) { m_bEnableNotResponding = enable != FALSE; }
  DWORD GetMessagePendingDelay() const { return m_nTimeout; }
  DWORD GetRetryReply() const { return m_nRetryReply; }
  bool IsBusyDialogEnabled() const { return m_bEnableBusy; }
  bool IsNotRespondingDialogEnabled() const { return m_bEnableNotResponding; }

  // IUnknown: the object lives as long as its owner, not by its count.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  // IMessageFilter
  DWORD STDMETHODCALLTYPE HandleInComingCall(DWORD callType, HTASK caller, DWORD tickCount,
                                             INTERFACEINFO* info) override;
  DWORD STDMETHODCALLTYPE RetryRejectedCall(HTASK callee, DWORD tickCount, DWORD rejectType) override;
  DWORD STDMETHODCALLTYPE MessagePending(HTASK callee, DWORD tickCount, DWORD pendingType) override;

private:
  DWORD m_nTimeout = 8000;
  DWORD m_nRetryReply = 5000;
  bool m_bEnableBusy = true;
  bool m_bEnableNotResponding = true;
  bool m_bRegistered = false;
  IMessageFilter* m_pPrevious = nullptr;
};

// OleInitialize on the calling thread and the application's message filter
// registered there; false when OLE cannot be initialised (the thread already
// chose the multithreaded apartment, for one). A second call on the same
// thread answers the first's result.
BOOL AfxOleInit();
// Revokes the filter and uninitialises OLE again (at the end of the program).
void AfxOleTerm();
// The filter AfxOleInit registered, or null.
COleMessageFilter* AfxOleGetMessageFilter();
