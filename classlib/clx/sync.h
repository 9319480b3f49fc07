#pragma once
// Synchronisation objects over the kernel's: a re-entrant critical section,
// events, semaphores and mutexes (optionally named, shared between
// processes), and CSingleLock to hold one of them for a scope.
#include "clx/win.h"

class CSyncObject {
public:
  virtual ~CSyncObject() = default;
  CSyncObject(const CSyncObject&) = delete;
  CSyncObject& operator=(const CSyncObject&) = delete;
  // True when acquired within `timeoutMs`.
  virtual BOOL Lock(DWORD timeoutMs = INFINITE) = 0;
  virtual BOOL Unlock() = 0;

protected:
  CSyncObject() = default;
};

// A critical section: the owning thread may enter again (entries counted).
class CCriticalSection : public CSyncObject {
public:
  CCriticalSection() { ::InitializeCriticalSection(&m_sect); }
  ~CCriticalSection() override { ::DeleteCriticalSection(&m_sect); }
  // A finite time-out polls TryEnter; INFINITE waits.
  BOOL Lock(DWORD timeoutMs = INFINITE) override;
  BOOL Unlock() override { ::LeaveCriticalSection(&m_sect); return TRUE; }
  operator CRITICAL_SECTION*() { return &m_sect; }

private:
  CRITICAL_SECTION m_sect;
};

// A kernel object with a handle (events, semaphores, mutexes).
class CHandleSyncObject : public CSyncObject {
public:
  ~CHandleSyncObject() override { if (m_hObject) ::CloseHandle(m_hObject); }
  BOOL Lock(DWORD timeoutMs = INFINITE) override;
  operator HANDLE() const { return m_hObject; }
  HANDLE m_hObject = nullptr;
  // Named objects: true when the name already existed (another process made it).
  bool m_bAlreadyExisted = false;

protected:
  void Take(HANDLE h);
};

class CEvent : public CHandleSyncObject {
public:
  explicit CEvent(BOOL initiallyOwn = FALSE, BOOL manualReset = FALSE, const char* name = nullptr,
                  SECURITY_ATTRIBUTES* security = nullptr);
  BOOL SetEvent() { return ::SetEvent(m_hObject); }
  BOOL ResetEvent() { return ::ResetEvent(m_hObject); }
  BOOL PulseEvent() { return ::PulseEvent(m_hObject); }
  BOOL Unlock() override { return TRUE; }
};

class CSemaphore : public CHandleSyncObject {
public:
  explicit CSemaphore(LONG initialCount = 1, LONG maxCount = 1, const char* name = nullptr,
                      SECURITY_ATTRIBUTES* security = nullptr);
  BOOL Unlock() override { return Unlock(1, nullptr); }
  BOOL Unlock(LONG count, LONG* previous) { return ::ReleaseSemaphore(m_hObject, count, previous); }
};

class CMutex : public CHandleSyncObject {
public:
  explicit CMutex(BOOL initiallyOwn = FALSE, const char* name = nullptr, SECURITY_ATTRIBUTES* security = nullptr);
  BOOL Unlock() override { return ::ReleaseMutex(m_hObject); }
};

// Holds one object for a scope; the destructor releases it if still held.
class CSingleLock {
public:
  explicit CSingleLock(CSyncObject* object, BOOL lockNow = FALSE);
  ~CSingleLock() { Unlock(); }
  CSingleLock(const CSingleLock&) = delete;
  CSingleLock& operator=(const CSingleLock&) = delete;
  BOOL Lock(DWORD timeoutMs = INFINITE);
  BOOL Unlock();
  BOOL IsLocked() const { return m_bLocked; }

private:
  CSyncObject* m_pObject;
  BOOL m_bLocked = FALSE;
};
