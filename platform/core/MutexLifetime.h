#pragma once
// ThreadSanitizer learns that a mutex is gone only from pthread_mutex_destroy,
// which std::mutex never calls on Linux. A new mutex at the address of a dead
// one (a stack slot reused by the next object) then inherits the dead one's
// lock-order edges, and ThreadSanitizer reports deadlocks between objects
// that never lived at the same time. Owners of short-lived mutexes call
// ForgetDestroyedMutex from their destructor; outside ThreadSanitizer builds
// it does nothing.

#if defined(__SANITIZE_THREAD__)
#define TW_THREAD_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TW_THREAD_SANITIZER 1
#endif
#endif

#if defined(TW_THREAD_SANITIZER)
#include <sanitizer/tsan_interface.h>
#endif

inline void ForgetDestroyedMutex(void* mutex)
{
#if defined(TW_THREAD_SANITIZER)
    __tsan_mutex_destroy(mutex, 0);
#else
    (void)mutex;
#endif
}
