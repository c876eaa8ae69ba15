#include "base/SerialQueue.h"

#include <pthread.h>
#include <sys/resource.h>

namespace pigmo {

SerialQueue::SerialQueue(std::string name)
    : name_(std::move(name))
{
}

SerialQueue::~SerialQueue()
{
    shutdown();
}

void SerialQueue::shutdown()
{
    {
        MutexLock lock(mutex_);
        stopping_ = true;
        items_.clear();
    }
    pending_.notify_all();
    if (thread_.joinable())
        thread_.join();
    finished_.notify_all();
}

void SerialQueue::waitForIdle()
{
    MutexLock lock(mutex_);
    while (running_ || !items_.empty())
        lock.wait(finished_);
}

bool SerialQueue::idle()
{
    MutexLock lock(mutex_);
    return !running_ && items_.empty();
}

void SerialQueue::submit(std::function<void()> work)
{
    {
        MutexLock lock(mutex_);
        if (stopping_)
            return;
        items_.push_back(std::move(work));
        if (!thread_.joinable())
            thread_ = std::thread([this] { run(); });
    }
    pending_.notify_one();
}

void SerialQueue::run()
{
    pthread_setname_np(pthread_self(), name_.substr(0, 15).c_str());
    setpriority(PRIO_PROCESS, 0, 10); // background work: below the interface threads (Linux: per thread)
    for (;;) {
        std::function<void()> work;
        {
            MutexLock lock(mutex_);
            while (!stopping_ && items_.empty())
                lock.wait(pending_);
            if (stopping_)
                return;
            work = std::move(items_.front());
            items_.pop_front();
            running_ = true;
        }
        work();
        work = nullptr; // what the item holds goes before it counts as ended
        MutexLock lock(mutex_);
        running_ = false;
        if (items_.empty())
            finished_.notify_all();
    }
}

} // namespace pigmo
