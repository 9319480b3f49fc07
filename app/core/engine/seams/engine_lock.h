// The engine lock: one re-entrant lock that serialises every engine
// operation, every filter chain build and the idle paging work. The holder
// may take it again (an entry point calling another entry point).
#pragma once

#include <memory>

class CEngineLock {
public:
    CEngineLock();
    CEngineLock(const CEngineLock&) = delete;
    CEngineLock& operator=(const CEngineLock&) = delete;
    ~CEngineLock();

    // Waits without a bound.
    void Enter();
    void Leave();
    // Takes the lock only when no other thread holds it.
    bool TryEnter();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The process's one engine lock.
CEngineLock& GetEngineLock();

// Holds the engine lock for a scope; every way out releases it.
class CEngineLockHold {
public:
    CEngineLockHold() : lock_(GetEngineLock()) { lock_.Enter(); }
    CEngineLockHold(const CEngineLockHold&) = delete;
    CEngineLockHold& operator=(const CEngineLockHold&) = delete;
    ~CEngineLockHold() { lock_.Leave(); }

private:
    CEngineLock& lock_;
};
