#include "app/core/engine/seams/engine_lock.h"

#include <mutex>

struct CEngineLock::Impl {
    std::recursive_mutex mutex;
};

CEngineLock::CEngineLock() : impl_(std::make_unique<Impl>()) {}

CEngineLock::~CEngineLock() = default;

void CEngineLock::Enter() { impl_->mutex.lock(); }

void CEngineLock::Leave() { impl_->mutex.unlock(); }

bool CEngineLock::TryEnter() { return impl_->mutex.try_lock(); }

CEngineLock& GetEngineLock()
{
    static CEngineLock lock;
    return lock;
}
