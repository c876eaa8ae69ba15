#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

// Clang's thread-safety analysis (-Wthread-safety): a member declared `PIGMO_GUARDED_BY(mutex_)` may be read
// or written only while `mutex_` is held, and a function declared `PIGMO_REQUIRES(mutex_)` may be called
// only so. The clang build checks every use; with other compilers the annotations are empty.
#if defined(__clang__)
#define PIGMO_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define PIGMO_THREAD_ANNOTATION(x)
#endif

#define PIGMO_CAPABILITY(name) PIGMO_THREAD_ANNOTATION(capability(name))
#define PIGMO_SCOPED_CAPABILITY PIGMO_THREAD_ANNOTATION(scoped_lockable)
#define PIGMO_GUARDED_BY(mutex) PIGMO_THREAD_ANNOTATION(guarded_by(mutex))
#define PIGMO_PT_GUARDED_BY(mutex) PIGMO_THREAD_ANNOTATION(pt_guarded_by(mutex))
#define PIGMO_REQUIRES(...) PIGMO_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define PIGMO_EXCLUDES(...) PIGMO_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define PIGMO_ACQUIRE(...) PIGMO_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define PIGMO_RELEASE(...) PIGMO_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define PIGMO_NO_THREAD_SAFETY_ANALYSIS PIGMO_THREAD_ANNOTATION(no_thread_safety_analysis)

namespace pigmo {

// A std::mutex the analysis knows as a lock.
class PIGMO_CAPABILITY("mutex") Mutex {
public:
    void lock() PIGMO_ACQUIRE() { mutex_.lock(); }
    void unlock() PIGMO_RELEASE() { mutex_.unlock(); }

private:
    friend class MutexLock;
    std::mutex mutex_;
};

// Holds a Mutex for its scope. `wait` lets a condition variable release it while blocked; the mutex is held
// again when `wait` returns, so the caller checks its condition in a loop under the lock.
class PIGMO_SCOPED_CAPABILITY MutexLock {
public:
    explicit MutexLock(Mutex& mutex) PIGMO_ACQUIRE(mutex)
        : lock_(mutex.mutex_)
    {
    }
    ~MutexLock() PIGMO_RELEASE() = default;
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

    void wait(std::condition_variable& condition) { condition.wait(lock_); }
    template <class Clock, class Duration>
    std::cv_status waitUntil(std::condition_variable& condition,
                             const std::chrono::time_point<Clock, Duration>& deadline)
    {
        return condition.wait_until(lock_, deadline);
    }

private:
    std::unique_lock<std::mutex> lock_;
};

} // namespace pigmo
