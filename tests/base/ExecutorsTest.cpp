#include "base/Executors.h"

#include <gtest/gtest.h>

#include <QThread>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace pigmo;
using namespace std::chrono_literals;

namespace {

// Waits until `done` holds, at most ten seconds; whether it held.
template <class Condition>
bool waitUntil(Condition done)
{
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::yield();
    }
    return true;
}

} // namespace

TEST(ExecutorsTest, TheIconQueueRunsItsTasksInOrderOnOneNamedThread)
{
    Executors executors;
    TaskGroup group(executors.iconQueue());
    std::mutex mutex;
    std::vector<int> order;
    std::vector<QString> threadNames;
    for (int i = 0; i < 50; ++i) {
        group.start([&, i] {
            const std::lock_guard lock(mutex);
            order.push_back(i);
            threadNames.push_back(QThread::currentThread()->objectName());
        });
    }
    ASSERT_TRUE(group.waitForDone(10000));
    ASSERT_EQ(order.size(), 50U);
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(order[std::size_t(i)], i);
        EXPECT_EQ(threadNames[std::size_t(i)], QStringLiteral("io.velmar.pigmo2.iconQueue"));
    }
}

TEST(ExecutorsTest, AGroupDropsAndWaitsForItsOwnTasksOnly)
{
    Executors executors;
    TaskGroup mine(executors.iconQueue());
    TaskGroup other(executors.iconQueue());
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> blocking{false};
    std::atomic<bool> droppedRan{false};
    std::atomic<bool> otherRan{false};
    other.start([&] {
        blocking = true;
        released.wait();
    });
    ASSERT_TRUE(waitUntil([&] { return blocking.load(); }));
    auto captured = std::make_shared<int>(0);
    const std::weak_ptr<int> watch = captured;
    mine.start([&droppedRan, captured = std::move(captured)] { droppedRan = true; });
    other.start([&] { otherRan = true; });

    mine.dropPending();
    EXPECT_TRUE(watch.expired());     // the dropped task's captures are gone at once
    EXPECT_TRUE(mine.waitForDone(0)); // not held up by the other group's blocked task
    EXPECT_FALSE(other.waitForDone(0));
    release.set_value();
    ASSERT_TRUE(other.waitForDone(10000));
    EXPECT_FALSE(droppedRan);
    EXPECT_TRUE(otherRan);
}

// Shutting down with work pending: the icon queue's queued task runs to its end, and only then does the CPU
// pool drop what has not started (here a task queued behind busy threads).
TEST(ExecutorsTest, ShutdownRunsTheQueuedWritesThenDropsTheDrawingsNotStarted)
{
    Executors executors;
    std::promise<void> releaseQueue;
    std::shared_future<void> queueReleased = releaseQueue.get_future().share();
    std::promise<void> releaseDrawings;
    std::shared_future<void> drawingsReleased = releaseDrawings.get_future().share();
    std::atomic<bool> queuedWriteRan{false};
    std::atomic<bool> drawingKeptForTheWrite{false};
    std::atomic<bool> pendingDrawingRan{false};
    std::atomic<int> busyDrawings{0};

    std::weak_ptr<int> pendingDrawing;
    executors.iconQueue().start([queueReleased] { queueReleased.wait(); });
    executors.iconQueue().start([&] {
        queuedWriteRan = true;
        drawingKeptForTheWrite = !pendingDrawing.expired();
    });
    const int drawingThreads = executors.cpu().maxThreadCount();
    for (int i = 0; i < drawingThreads; ++i) {
        executors.cpu().start([&busyDrawings, drawingsReleased] {
            ++busyDrawings;
            drawingsReleased.wait();
        });
    }
    ASSERT_TRUE(waitUntil([&] { return busyDrawings.load() == drawingThreads; }));
    auto captured = std::make_shared<int>(0);
    pendingDrawing = captured;
    executors.cpu().start([&pendingDrawingRan, captured = std::move(captured)] { pendingDrawingRan = true; });

    std::thread shuttingDown([&] { executors.shutdown(); });
    releaseQueue.set_value();
    ASSERT_TRUE(waitUntil([&] { return pendingDrawing.expired(); })); // dropped once the queue ended
    EXPECT_TRUE(queuedWriteRan);
    EXPECT_TRUE(drawingKeptForTheWrite);
    releaseDrawings.set_value();
    shuttingDown.join();
    EXPECT_FALSE(pendingDrawingRan);
    EXPECT_EQ(executors.cpu().activeThreadCount(), 0);
}
