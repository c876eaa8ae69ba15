#pragma once

#include "base/ThreadSafety.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <string>
#include <thread>

namespace pigmo {

// A serial work queue on a dedicated thread: work items run one after another, in submission order. The
// thread starts with the first item. Destroying the queue drops the items that have not started and waits
// for the running one.
class SerialQueue {
public:
    // `name`: the thread's name as the system shows it (at most 15 bytes are kept).
    explicit SerialQueue(std::string name);
    ~SerialQueue();
    SerialQueue(const SerialQueue&) = delete;
    SerialQueue& operator=(const SerialQueue&) = delete;

    // Ignored once the queue is shut down.
    void submit(std::function<void()> work);
    // Drops the items that have not started and waits for the running one. Idempotent.
    void shutdown();
    // Blocks until every item submitted so far has run (or was dropped by a shutdown). Not from an item.
    void waitForIdle();
    // Whether no item is waiting or running.
    bool idle();

private:
    void run();

    std::string name_;
    Mutex mutex_;
    std::condition_variable pending_;
    std::condition_variable finished_; // an item ended with none left
    std::deque<std::function<void()>> items_ PIGMO_GUARDED_BY(mutex_);
    bool running_ PIGMO_GUARDED_BY(mutex_) = false;
    bool stopping_ PIGMO_GUARDED_BY(mutex_) = false;
    std::thread thread_; // started under the lock; joined by `shutdown` after `stopping_` is set
};

} // namespace pigmo
