#include "base/Executors.h"

#include "base/ThreadSafety.h"

#include <QThread>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <unordered_set>

namespace pigmo {

struct TaskGroup::State {
    Mutex mutex;
    std::condition_variable ended;
    int unfinished PIGMO_GUARDED_BY(mutex) = 0;
    std::unordered_set<Task*> queued PIGMO_GUARDED_BY(mutex);  // started, not yet taken by a worker
    std::unordered_set<Task*> dropped PIGMO_GUARDED_BY(mutex); // dropped while a worker was taking them

    void end()
    {
        {
            MutexLock lock(mutex);
            --unfinished;
        }
        ended.notify_all();
    }
};

class TaskGroup::Task : public QRunnable {
public:
    Task(std::shared_ptr<State> state, std::function<void()> work)
        : state_(std::move(state))
        , work_(std::move(work))
    {
    }

    void run() override
    {
        bool dropped = false;
        {
            MutexLock lock(state_->mutex);
            state_->queued.erase(this);
            dropped = state_->dropped.erase(this) > 0;
        }
        if (!dropped)
            work_();
        work_ = nullptr; // what the work holds goes before the group hears of its end
        state_->end();
    }

private:
    std::shared_ptr<State> state_;
    std::function<void()> work_;
};

TaskGroup::TaskGroup(QThreadPool& pool)
    : pool_(pool)
    , state_(std::make_shared<State>())
{
}

TaskGroup::~TaskGroup()
{
    dropPending();
    waitForDone();
}

void TaskGroup::start(std::function<void()> task)
{
    auto* runnable = new Task(state_, std::move(task));
    {
        MutexLock lock(state_->mutex);
        ++state_->unfinished;
        state_->queued.insert(runnable);
    }
    pool_.start(runnable);
}

void TaskGroup::dropPending()
{
    std::vector<Task*> taken;
    {
        MutexLock lock(state_->mutex);
        for (Task* task : state_->queued) {
            if (pool_.tryTake(task))
                taken.push_back(task);
            else
                state_->dropped.insert(task); // a worker is taking it: it ends unrun
        }
        state_->queued.clear();
        state_->unfinished -= int(taken.size());
    }
    for (Task* task : taken)
        delete task; // the pool gave it back: it is ours, and its work is destroyed unrun
    state_->ended.notify_all();
}

bool TaskGroup::waitForDone(int milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(milliseconds, 0));
    MutexLock lock(state_->mutex);
    while (state_->unfinished > 0) {
        if (milliseconds < 0)
            lock.wait(state_->ended);
        else if (lock.waitUntil(state_->ended, deadline) == std::cv_status::timeout)
            break;
    }
    return state_->unfinished == 0;
}

int TaskGroup::unfinishedCount() const
{
    MutexLock lock(state_->mutex);
    return state_->unfinished;
}

const QString Executors::iconQueueName = QStringLiteral("io.velmar.pigmo2.iconQueue");

Executors::Executors()
    : io_(std::make_unique<QThreadPool>())
{
    iconQueue_.setObjectName(iconQueueName);
    iconQueue_.setMaxThreadCount(1); // one task at a time, in submission order
    cpu_.setObjectName(QStringLiteral("pigmo.cpu"));
    cpu_.setMaxThreadCount(std::max(1, QThread::idealThreadCount() - 1));
    io_->setObjectName(QStringLiteral("pigmo.io"));
    io_->setMaxThreadCount(ioThreads);
}

Executors::~Executors()
{
    shutdown();
}

void Executors::shutdown()
{
    if (std::exchange(shutDown_, true))
        return;
    iconQueue_.waitForDone();
    cpu_.clear();
    cpu_.waitForDone();
    io_->clear();
    if (!io_->waitForDone(ioShutdownWait))
        (void)io_.release(); // a thread hung in a system call: the end of the process takes the pool
}

} // namespace pigmo
