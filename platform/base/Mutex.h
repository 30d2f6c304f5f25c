// Locks that clang's thread-safety analysis understands: the standard mutexes of this system's
// library carry no annotations, so fields guarded by them could not say so. A field names its lock
// with GUARDED_BY (platform/base/ThreadAnnotations.h); the guards below hold one for a scope.
#pragma once

#include <mutex>

#include "platform/base/ThreadAnnotations.h"

namespace plat {

class CAPABILITY("mutex") Mutex {
 public:
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

 private:
  std::mutex mutex_;
};

// Only where a design re-enters its own lock; each use says why beside the field. The analysis
// treats it like a plain Mutex, so re-entry must go through a call, never twice in one function.
class CAPABILITY("mutex") RecursiveMutex {
 public:
  void lock() ACQUIRE() { mutex_.lock(); }
  void unlock() RELEASE() { mutex_.unlock(); }
  bool try_lock() TRY_ACQUIRE(true) { return mutex_.try_lock(); }

 private:
  std::recursive_mutex mutex_;
};

// Holds the lock from construction to the end of the scope.
template <class Lockable>
class SCOPED_CAPABILITY LockGuard {
 public:
  explicit LockGuard(Lockable& lock) ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  ~LockGuard() RELEASE() { lock_.unlock(); }
  LockGuard(const LockGuard&) = delete;
  LockGuard& operator=(const LockGuard&) = delete;

 private:
  Lockable& lock_;
};

// A guard that may let go for a while inside its scope (around a call out) and take the lock again.
template <class Lockable>
class SCOPED_CAPABILITY UniqueLock {
 public:
  explicit UniqueLock(Lockable& lock) ACQUIRE(lock) : lock_(lock) { lock_.lock(); }
  ~UniqueLock() RELEASE() {
    if (held_) lock_.unlock();
  }
  UniqueLock(const UniqueLock&) = delete;
  UniqueLock& operator=(const UniqueLock&) = delete;

  void lock() ACQUIRE() {
    lock_.lock();
    held_ = true;
  }
  void unlock() RELEASE() {
    held_ = false;
    lock_.unlock();
  }

 private:
  Lockable& lock_;
  bool held_ = true;
};

}  // namespace plat
