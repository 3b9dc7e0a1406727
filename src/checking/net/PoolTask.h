// Work handed to a worker of the system's thread pool, in a block that the
// caller and the worker share: whoever lets go of it last frees it, so a
// caller that stops waiting (a bound passed, the program ending) leaves the
// worker nothing that dangles. Work is a plain struct with a perform() member.
#pragma once
#include <windows.h>

#include <cstdlib>
#include <new>

template <typename Work>
class PoolTask {
public:
    // A task whose work starts zeroed, then constructed, for the caller to
    // fill in. The C heap, as everywhere in the program: the library's
    // throwing new would bring its exception machinery into the exe. NULL
    // when there is no memory or no event.
    static PoolTask* create()
    {
        void* memory = calloc(1, sizeof(PoolTask));
        if (!memory)
            return NULL;
        PoolTask* task = new (memory) PoolTask();
        if (!task->done_) {
            task->release();
            return NULL;
        }
        return task;
    }

    // Runs work.perform() on a worker; done() is set once it has returned. A
    // worker of the pool is kept between tasks, where a thread of its own
    // would be made anew each time; the work waits for long stretches, hence
    // a "long function". False, with the task gone, when no worker could be
    // had.
    bool queue()
    {
        holders_ = 2;
        if (QueueUserWorkItem(runOnWorker, this, WT_EXECUTELONGFUNCTION))
            return true;
        holders_ = 1;
        release();
        return false;
    }

    HANDLE done() const { return done_; }

    // The last one to let go frees the task, wiped first: the work may hold
    // a password.
    void release()
    {
        if (InterlockedDecrement(&holders_) != 0)
            return;
        this->~PoolTask();
        SecureZeroMemory(static_cast<void*>(this), sizeof *this);
        free(this);
    }

private:
    PoolTask() : holders_(1), done_(CreateEventW(NULL, TRUE, FALSE, NULL)), work() {}
    ~PoolTask()
    {
        if (done_)
            CloseHandle(done_);
    }
    PoolTask(const PoolTask&) = delete;
    PoolTask& operator=(const PoolTask&) = delete;

    static DWORD WINAPI runOnWorker(LPVOID parameter)
    {
        PoolTask* task = static_cast<PoolTask*>(parameter);
        task->work.perform();
        SetEvent(task->done_);
        task->release();
        return 0;
    }

    LONG   holders_;
    HANDLE done_;

public:
    Work work;
};
