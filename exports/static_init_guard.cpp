// Thread-safe initialisation of function-local statics without the threads
// library's per-thread bookkeeping.
//
// The runtime's own __cxa_guard_acquire goes through winpthread, which gives
// every thread that first initialises a static a record holding a duplicate
// of the thread handle, an event and a TLS slot. Those are freed only when the
// thread ends while this DLL is loaded; a setup thread that loads and unloads
// the DLL keeps them, and lost one thread handle, one event and one TLS index
// on every LoadLibrary/FreeLibrary cycle, even without calling an export (the
// entry point initialises the UI state). These definitions, linked into the
// DLL ahead of the runtime, keep the Itanium C++ ABI contract with one
// process-wide slim lock and condition variable, which need no set-up and
// leave nothing behind.
//
// The same bookkeeping is created by std::call_once, std::condition_variable,
// std::async, thread_local and thrown exceptions (their per-thread state lives
// in emulated TLS): code that runs on the setup's threads uses none of them on
// its normal paths.
#include <windows.h>

#include <cstdint>
#include <cstdlib>

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_finished = CONDITION_VARIABLE_INIT;

// The guard is 64 bits: byte 0 is set once the object is initialised (the
// compiler tests it inline), byte 1 while a thread initialises it, bytes 4-7
// hold that thread's id.
struct GuardView {
    explicit GuardView(int64_t* guard) : bytes(reinterpret_cast<uint8_t*>(guard)) {}
    bool Done() const { return __atomic_load_n(&bytes[0], __ATOMIC_ACQUIRE) != 0; }
    uint8_t& busy() const { return bytes[1]; }
    DWORD& initialiser() const { return *reinterpret_cast<DWORD*>(bytes + 4); }
    uint8_t* bytes;
};

}  // namespace

extern "C" int __cxa_guard_acquire(int64_t* guard) {
    const GuardView view(guard);
    ::AcquireSRWLockExclusive(&g_lock);
    for (;;) {
        if (view.Done()) {
            ::ReleaseSRWLockExclusive(&g_lock);
            return 0;
        }
        if (!view.busy()) {
            view.busy() = 1;
            view.initialiser() = ::GetCurrentThreadId();
            ::ReleaseSRWLockExclusive(&g_lock);
            return 1;
        }
        // A static whose initialiser needs itself would wait here for ever.
        if (view.initialiser() == ::GetCurrentThreadId()) std::abort();
        ::SleepConditionVariableSRW(&g_finished, &g_lock, INFINITE, 0);
    }
}

extern "C" void __cxa_guard_release(int64_t* guard) {
    const GuardView view(guard);
    ::AcquireSRWLockExclusive(&g_lock);
    view.busy() = 0;
    view.initialiser() = 0;
    __atomic_store_n(&view.bytes[0], uint8_t{1}, __ATOMIC_RELEASE);
    ::ReleaseSRWLockExclusive(&g_lock);
    ::WakeAllConditionVariable(&g_finished);
}

// The initialiser threw: the next use tries again.
extern "C" void __cxa_guard_abort(int64_t* guard) {
    const GuardView view(guard);
    ::AcquireSRWLockExclusive(&g_lock);
    view.busy() = 0;
    view.initialiser() = 0;
    ::ReleaseSRWLockExclusive(&g_lock);
    ::WakeAllConditionVariable(&g_finished);
}
