#include "clx/sync.h"

BOOL CCriticalSection::Lock(DWORD timeoutMs) {
  if (timeoutMs == INFINITE) {
    ::EnterCriticalSection(&m_sect);
    return TRUE;
  }
  DWORD start = ::GetTickCount();
  for (;;) {
    if (::TryEnterCriticalSection(&m_sect)) return TRUE;
    if (::GetTickCount() - start >= timeoutMs) return FALSE;
    ::Sleep(0);
  }
}

BOOL CHandleSyncObject::Lock(DWORD timeoutMs) {
  DWORD r = ::WaitForSingleObject(m_hObject, timeoutMs);
  // An abandoned mutex is still owned now; its holder died, the data may be inconsistent.
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void CHandleSyncObject::Take(HANDLE h) {
  m_bAlreadyExisted = h && ::GetLastError() == ERROR_ALREADY_EXISTS;
  m_hObject = h;
}

CEvent::CEvent(BOOL initiallyOwn, BOOL manualReset, const char* name, SECURITY_ATTRIBUTES* security) {
  Take(::CreateEventA(security, manualReset, initiallyOwn, name));
}

CSemaphore::CSemaphore(LONG initialCount, LONG maxCount, const char* name, SECURITY_ATTRIBUTES* security) {
  Take(::CreateSemaphoreA(security, initialCount, maxCount, name));
}

CMutex::CMutex(BOOL initiallyOwn, const char* name, SECURITY_ATTRIBUTES* security) {
  Take(::CreateMutexA(security, initiallyOwn, name));
}

CSingleLock::CSingleLock(CSyncObject* object, BOOL lockNow) : m_pObject(object) {
  if (lockNow) Lock();
}

BOOL CSingleLock::Lock(DWORD timeoutMs) {
  if (m_bLocked) return TRUE;
  m_bLocked = m_pObject->Lock(timeoutMs);
  return m_bLocked;
}

BOOL CSingleLock::Unlock() {
  if (!m_bLocked) return TRUE;
  m_bLocked = FALSE;
  return m_pObject->Unlock();
}
