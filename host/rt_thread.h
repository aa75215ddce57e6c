// RtThread: runs one operation (Run, overridden by a program's class) on a
// detached native thread. The state is published atomically, since the
// worker writes it and the main thread reads it. While Run is going, the
// object is held by a collector root, so a program that drops its last
// reference to a running thread does not free it under the worker's feet.
//
// The collector itself is single-threaded: Run must not allocate collected
// objects or store references while the main thread may collect.
#pragma once

#include <atomic>

#include "runtime/gc.h"

struct RtThread : Object {
    static constexpr int kNotStarted = 0;
    static constexpr int kRunning = 1;
    static constexpr int kFinished = 2;

    std::atomic<int> state{kNotStarted};
    Object* result = nullptr;

    virtual void Start();
    virtual bool IsRunning();
    virtual Object* GetResult();
    virtual void SetResult(Object* value);
    virtual void Run() {}
};

// Registers the root that keeps running threads alive; called once by the
// framework start-up.
void RegisterThreadRoots();
// Number of threads started and not yet finished (for tests).
int RunningThreadCount();
