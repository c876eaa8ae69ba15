#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
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

private:
    void run();

    std::string name_;
    std::mutex mutex_;
    std::condition_variable pending_;
    std::deque<std::function<void()>> items_;
    bool stopping_ = false;
    std::thread thread_;
};

} // namespace pigmo
