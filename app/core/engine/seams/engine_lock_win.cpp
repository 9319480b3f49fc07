#include "app/core/engine/seams/engine_lock.h"

#include <windows.h>

struct CEngineLock::Impl {
    CRITICAL_SECTION section;
};

CEngineLock::CEngineLock() : impl_(std::make_unique<Impl>()) { InitializeCriticalSection(&impl_->section); }

CEngineLock::~CEngineLock() { DeleteCriticalSection(&impl_->section); }

void CEngineLock::Enter() { EnterCriticalSection(&impl_->section); }

void CEngineLock::Leave() { LeaveCriticalSection(&impl_->section); }

bool CEngineLock::TryEnter() { return TryEnterCriticalSection(&impl_->section) != FALSE; }

CEngineLock& GetEngineLock()
{
    static CEngineLock lock;
    return lock;
}
