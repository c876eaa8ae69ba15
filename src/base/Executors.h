#pragma once

#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

namespace pigmo {

// The tasks one owner starts on a shared pool, so that it can drop and wait for its own work alone, never
// another owner's. Tasks run in the pool's order, on the pool's threads. Destroying the group drops its tasks
// that have not started and waits for those running: an owner that keeps a group as its last member can give
// its tasks `this`.
class TaskGroup {
public:
    explicit TaskGroup(QThreadPool& pool);
    ~TaskGroup();
    TaskGroup(const TaskGroup&) = delete;
    TaskGroup& operator=(const TaskGroup&) = delete;

    void start(std::function<void()> task);
    // The tasks that have not started yet never run (they are destroyed on this thread or, when a worker
    // already took one, on that worker, unrun).
    void dropPending();
    // Waits until every task started so far has ended or was dropped, at most `milliseconds` (-1: no limit);
    // true when none is left.
    bool waitForDone(int milliseconds = -1);
    // Started tasks that have neither ended nor been dropped.
    int unfinishedCount() const;

private:
    class Task;
    struct State;
    QThreadPool& pool_;
    std::shared_ptr<State> state_;
};

// The program's three executors, made once by the services' owner and handed down; nothing below the
// application shell makes threads of its own that outlive a call (see docs/threads.md).
//
// - The icon queue: one thread, named "io.velmar.pigmo2.iconQueue"; its tasks run one after another in
//   submission order. Every write of a folder's icon and attribute runs there.
// - The I/O pool: a few threads for blocking file-system work that may hang on a slow or vanished mount
//   (listings, reading dropped files).
// - The CPU pool: one thread fewer than the processor has (at least one), for drawing and encoding.
//
// Shutting down (once, at the latest when destroyed) goes in that order: the icon queue runs what is queued
// to its end, since a queued write may wait for a drawing; then the CPU pool drops what has not started and
// waits for what runs; then the I/O pool drops what has not started and waits for what runs at most
// `ioShutdownWait` milliseconds (a listing hung on a vanished mount stays blocked where it is, and its pool
// is left to the end of the process). Each owner of tasks drops or waits for its own before that (TaskGroup).
class Executors {
public:
    static const QString iconQueueName;
    static constexpr int ioThreads = 4;
    static constexpr int ioShutdownWait = 1000;

    Executors();
    ~Executors();
    Executors(const Executors&) = delete;
    Executors& operator=(const Executors&) = delete;

    QThreadPool& iconQueue() { return iconQueue_; }
    QThreadPool& io() { return *io_; }
    QThreadPool& cpu() { return cpu_; }

    // As described above; idempotent.
    void shutdown();

private:
    QThreadPool iconQueue_;
    QThreadPool cpu_;
    std::unique_ptr<QThreadPool> io_;
    bool shutDown_ = false;
};

} // namespace pigmo
