// A lock with no set-up, no kernel object and nothing to tear down, for the
// library's few shared queues and sets. std::mutex is not used: the threads
// library gives each one a kernel mutex on first use that its trivial
// destructor never closes, so every LoadLibrary/FreeLibrary cycle of the DLL
// would lose one. Meets BasicLockable, for std::lock_guard.
#pragma once

#include <windows.h>

namespace lum {

class SlimLock {
public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    void lock() noexcept { ::AcquireSRWLockExclusive(&lock_); }
    void unlock() noexcept { ::ReleaseSRWLockExclusive(&lock_); }

private:
    SRWLOCK lock_ = SRWLOCK_INIT;
};

}  // namespace lum
