// Critical sections over a recursive pthread mutex: like a Windows critical
// section, the owning thread may enter it again.
#include <windows.h>

#include <pthread.h>

#include <new>

static_assert(sizeof(CRITICAL_SECTION) >= sizeof(pthread_mutex_t), "CRITICAL_SECTION too small for a mutex");
static_assert(alignof(CRITICAL_SECTION) >= alignof(pthread_mutex_t), "CRITICAL_SECTION under-aligned");

namespace {
pthread_mutex_t* MutexOf(LPCRITICAL_SECTION section) { return reinterpret_cast<pthread_mutex_t*>(section->opaque); }
}  // namespace

extern "C" void WINAPI InitializeCriticalSection(LPCRITICAL_SECTION section) {
  pthread_mutexattr_t attributes;
  pthread_mutexattr_init(&attributes);
  pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE);
  pthread_mutex_init(new (section->opaque) pthread_mutex_t, &attributes);
  pthread_mutexattr_destroy(&attributes);
}

extern "C" void WINAPI DeleteCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_destroy(MutexOf(section)); }

extern "C" void WINAPI EnterCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_lock(MutexOf(section)); }

extern "C" void WINAPI LeaveCriticalSection(LPCRITICAL_SECTION section) { pthread_mutex_unlock(MutexOf(section)); }
