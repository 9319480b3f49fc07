#include "clx/ole.h"

#include <vector>

namespace {
// VariantCopy leaves its source alone; the headers only forgot the const.
HRESULT CopyVariant(VARIANT* to, const VARIANT* from) { return ::VariantCopy(to, const_cast<VARIANT*>(from)); }
}  // namespace

// ---------------------------------------------------------------- text

BSTR clx::AnsiToBstr(const char* text) {
  if (!text || !*text) return ::SysAllocStringLen(nullptr, 0);
  int n = ::MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return nullptr;
  BSTR out = ::SysAllocStringLen(nullptr, static_cast<UINT>(n - 1));
  if (out) ::MultiByteToWideChar(CP_ACP, 0, text, -1, out, n);
  return out;
}

CString clx::BstrToAnsi(BSTR text) {
  UINT length = text ? ::SysStringLen(text) : 0;
  if (length == 0) return CString();
  int n = ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) ::WideCharToMultiByte(CP_ACP, 0, text, static_cast<int>(length), out.data(), n, nullptr, nullptr);
  return CString(out.c_str());
}

// ---------------------------------------------------------------- clx::Variant

clx::Variant::Variant(long value) : Variant() {
  vt = VT_I4;
  lVal = value;
}

clx::Variant::Variant(bool value) : Variant() {
  vt = VT_BOOL;
  boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

clx::Variant::Variant(const char* text) : Variant() {
  vt = VT_BSTR;
  bstrVal = AnsiToBstr(text);
}

clx::Variant::Variant(IDispatch* dispatch) : Variant() {
  vt = VT_DISPATCH;
  pdispVal = dispatch;
  if (dispatch) dispatch->AddRef();
}

clx::Variant::Variant(const VARIANT& other) : Variant() { CopyVariant(this, &other); }

clx::Variant::Variant(const Variant& other) : Variant() { CopyVariant(this, &other); }

clx::Variant::Variant(Variant&& other) noexcept : Variant() {
  *static_cast<VARIANT*>(this) = other;
  ::VariantInit(&other);
}

clx::Variant& clx::Variant::operator=(const Variant& other) {
  if (this != &other) CopyVariant(this, &other);  // clears this first
  return *this;
}

clx::Variant& clx::Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    ::VariantClear(this);
    *static_cast<VARIANT*>(this) = other;
    ::VariantInit(&other);
  }
  return *this;
}

// ---------------------------------------------------------------- COleDispatchDriver

COleDispatchDriver::COleDispatchDriver(const COleDispatchDriver& other)
    : m_lpDispatch(other.m_lpDispatch), m_bAutoRelease(TRUE) {
  if (m_lpDispatch) m_lpDispatch->AddRef();
}

COleDispatchDriver& COleDispatchDriver::operator=(const COleDispatchDriver& other) {
  if (this != &other) {
    if (other.m_lpDispatch) other.m_lpDispatch->AddRef();
    ReleaseDispatch();
    m_lpDispatch = other.m_lpDispatch;
    m_bAutoRelease = TRUE;
  }
  return *this;
}

void COleDispatchDriver::AttachDispatch(IDispatch* dispatch, BOOL autoRelease) {
  ReleaseDispatch();
  m_lpDispatch = dispatch;
  m_bAutoRelease = autoRelease;
}

IDispatch* COleDispatchDriver::DetachDispatch() {
  IDispatch* dispatch = m_lpDispatch;
  m_lpDispatch = nullptr;
  return dispatch;
}

void COleDispatchDriver::ReleaseDispatch() {
  if (m_lpDispatch && m_bAutoRelease) m_lpDispatch->Release();
  m_lpDispatch = nullptr;
}

BOOL COleDispatchDriver::CreateDispatch(REFCLSID clsid, COleException* error) {
  ReleaseDispatch();
  IUnknown* unknown = nullptr;
  HRESULT hr = ::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IUnknown,
                                  reinterpret_cast<void**>(&unknown));
  if (SUCCEEDED(hr)) {
    // A local server that starts in a loaded-but-not-running state runs now.
    hr = ::OleRun(unknown);
    IDispatch* dispatch = nullptr;
    if (SUCCEEDED(hr)) hr = unknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    unknown->Release();
    if (SUCCEEDED(hr)) {
      AttachDispatch(dispatch, TRUE);
      return TRUE;
    }
  }
  if (error) error->m_sc = hr;
  return FALSE;
}

BOOL COleDispatchDriver::CreateDispatch(const char* progId, COleException* error) {
  CLSID clsid;
  BSTR name = clx::AnsiToBstr(progId);
  HRESULT hr = name ? ::CLSIDFromProgID(name, &clsid) : E_OUTOFMEMORY;
  ::SysFreeString(name);
  if (FAILED(hr)) {
    ReleaseDispatch();
    if (error) error->m_sc = hr;
    return FALSE;
  }
  return CreateDispatch(clsid, error);
}

namespace {
// The arguments of one call in the order IDispatch::Invoke wants them
// (last first), cleared on every way out.
class DispatchArgs {
public:
  explicit DispatchArgs(std::initializer_list<clx::Arg> args) : m_args(args.size()) {
    for (VARIANTARG& v : m_args) ::VariantInit(&v);
    size_t i = args.size();
    for (const clx::Arg& arg : args) {
      HRESULT hr = CopyVariant(&m_args[--i], &arg.Value());
      if (FAILED(hr)) {
        Clear();
        throw COleException(hr);
      }
    }
  }
  ~DispatchArgs() { Clear(); }
  DispatchArgs(const DispatchArgs&) = delete;
  DispatchArgs& operator=(const DispatchArgs&) = delete;
  VARIANTARG* Data() { return m_args.empty() ? nullptr : m_args.data(); }
  UINT Count() const { return static_cast<UINT>(m_args.size()); }

private:
  void Clear() {
    for (VARIANTARG& v : m_args) ::VariantClear(&v);
  }
  std::vector<VARIANTARG> m_args;
};

struct ExcepInfo : EXCEPINFO {
  ExcepInfo() : EXCEPINFO() {}
  ~ExcepInfo() {
    ::SysFreeString(bstrSource);
    ::SysFreeString(bstrDescription);
    ::SysFreeString(bstrHelpFile);
  }
  ExcepInfo(const ExcepInfo&) = delete;
  ExcepInfo& operator=(const ExcepInfo&) = delete;
};

COleDispatchException DispatchExceptionFrom(ExcepInfo& info) {
  if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
  COleDispatchException e;
  e.m_scError = info.scode;
  e.m_wCode = info.wCode;
  e.m_strDescription = clx::BstrToAnsi(info.bstrDescription);
  e.m_strSource = clx::BstrToAnsi(info.bstrSource);
  e.m_strHelpFile = clx::BstrToAnsi(info.bstrHelpFile);
  e.m_dwHelpContext = info.dwHelpContext;
  return e;
}

// Moves the result into the caller's variable of type `vtRet`.
void StoreResult(VARIANT& result, VARTYPE vtRet, void* ret) {
  if (vtRet == VT_EMPTY) return;
  if (vtRet == VT_VARIANT) {
    auto* out = static_cast<VARIANT*>(ret);
    ::VariantClear(out);
    *out = result;
    ::VariantInit(&result);
    return;
  }
  // A member may answer VT_EMPTY for "no object": that is a null interface.
  if (vtRet == VT_DISPATCH && result.vt == VT_EMPTY) {
    *static_cast<IDispatch**>(ret) = nullptr;
    return;
  }
  if (vtRet == VT_UNKNOWN && result.vt == VT_EMPTY) {
    *static_cast<IUnknown**>(ret) = nullptr;
    return;
  }
  if (result.vt != vtRet) {
    HRESULT hr = ::VariantChangeType(&result, &result, 0, vtRet);
    if (FAILED(hr)) throw COleException(hr);
  }
  switch (vtRet) {
    case VT_I2: *static_cast<short*>(ret) = result.iVal; break;
    case VT_I4: *static_cast<long*>(ret) = result.lVal; break;
    case VT_R4: *static_cast<float*>(ret) = result.fltVal; break;
    case VT_R8: *static_cast<double*>(ret) = result.dblVal; break;
    case VT_BOOL: *static_cast<BOOL*>(ret) = result.boolVal != VARIANT_FALSE; break;
    case VT_BSTR: *static_cast<CString*>(ret) = clx::BstrToAnsi(result.bstrVal); break;
    case VT_DISPATCH:
      *static_cast<IDispatch**>(ret) = result.pdispVal;  // the reference passes to the caller
      result.vt = VT_EMPTY;
      break;
    case VT_UNKNOWN:
      *static_cast<IUnknown**>(ret) = result.punkVal;
      result.vt = VT_EMPTY;
      break;
    default: throw COleException(DISP_E_BADVARTYPE);
  }
}
}  // namespace

void COleDispatchDriver::InvokeHelper(DISPID id, WORD flags, VARTYPE vtRet, void* ret,
                                      std::initializer_list<clx::Arg> args) {
  if (!m_lpDispatch) throw COleException(E_POINTER);
  if (vtRet != VT_EMPTY && !ret) throw COleException(E_POINTER);
  DispatchArgs list(args);
  DISPPARAMS params{list.Data(), nullptr, list.Count(), 0};
  // A property's new value is the last argument, named DISPID_PROPERTYPUT.
  DISPID putId = DISPID_PROPERTYPUT;
  if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
    if (list.Count() == 0) throw COleException(DISP_E_BADPARAMCOUNT);
    params.rgdispidNamedArgs = &putId;
    params.cNamedArgs = 1;
  }
  clx::Variant result;
  ExcepInfo info;
  UINT badArg = 0;
  HRESULT hr = m_lpDispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                    vtRet == VT_EMPTY ? nullptr : &result, &info, &badArg);
  if (hr == DISP_E_EXCEPTION) throw DispatchExceptionFrom(info);
  if (FAILED(hr)) throw COleException(hr);
  StoreResult(result, vtRet, ret);
}

// ---------------------------------------------------------------- COleMessageFilter

COleMessageFilter::~COleMessageFilter() { Revoke(); }

BOOL COleMessageFilter::Register() {
  if (m_bRegistered) return TRUE;
  IMessageFilter* previous = nullptr;
  if (FAILED(::CoRegisterMessageFilter(this, &previous))) return FALSE;
  m_pPrevious = previous;
  m_bRegistered = true;
  return TRUE;
}

void COleMessageFilter::Revoke() {
  if (!m_bRegistered) return;
  IMessageFilter* ours = nullptr;
  ::CoRegisterMessageFilter(m_pPrevious, &ours);
  if (m_pPrevious) m_pPrevious->Release();  // the registration holds its own reference now
  m_pPrevious = nullptr;
  m_bRegistered = false;
}

HRESULT COleMessageFilter::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (::IsEqualIID(iid, IID_IUnknown) || ::IsEqualIID(iid, IID_IMessageFilter)) {
    *out = static_cast<IMessageFilter*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

DWORD COleMessageFilter::HandleInComingCall(DWORD, HTASK, DWORD, INTERFACEINFO*) { return SERVERCALL_ISHANDLED; }

DWORD COleMessageFilter::RetryRejectedCall(HTASK, DWORD tickCount, DWORD rejectType) {
  constexpr DWORD kCancel = 0xFFFFFFFF;
  if (rejectType == SERVERCALL_REJECTED) return kCancel;
  if (m_bEnableBusy && tickCount >= m_nTimeout) return kCancel;  // the busy dialog's place
  return m_nRetryReply;
}

// Messages keep being dispatched while a call waits (paint, timers, input
// the call's owner can take), so the program stays drawn.
DWORD COleMessageFilter::MessagePending(HTASK, DWORD, DWORD) { return PENDINGMSG_WAITDEFPROCESS; }

// ---------------------------------------------------------------- initialisation

namespace {
struct OleState {
  bool tried = false;
  bool initialised = false;
  COleMessageFilter* filter = nullptr;
};

OleState& ThreadOle() {
  thread_local OleState state;
  return state;
}
}  // namespace

BOOL AfxOleInit() {
  OleState& state = ThreadOle();
  if (state.tried) return state.initialised;
  state.tried = true;
  if (FAILED(::OleInitialize(nullptr))) return FALSE;
  state.initialised = true;
  auto* filter = new COleMessageFilter;
  if (filter->Register()) {
    state.filter = filter;
  } else {
    delete filter;
  }
  return TRUE;
}

void AfxOleTerm() {
  OleState& state = ThreadOle();
  if (state.filter) {
    delete state.filter;  // revokes it
    state.filter = nullptr;
  }
  if (state.initialised) ::OleUninitialize();
  state = OleState{};
}

COleMessageFilter* AfxOleGetMessageFilter() { return ThreadOle().filter; }
