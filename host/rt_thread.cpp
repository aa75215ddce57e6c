// RtThread's start, thread procedure and the registry of running threads.
//
// The registry is a collected object reached from one root; its mark shades
// every thread on its list. The list is plain memory behind a mutex, since
// workers remove themselves from it while the main thread may be marking.
#include "host/rt_thread.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "host/platform.h"
#include "runtime/error.h"

namespace {

struct RunningThreads : Object {
    std::mutex lock;
    std::vector<RtThread*> threads;

    void mark() override {
        std::lock_guard<std::mutex> hold(lock);
        for (RtThread* t : threads) gc_shade(t);
    }
    void Add(RtThread* t) {
        std::lock_guard<std::mutex> hold(lock);
        threads.push_back(t);
    }
    void Remove(RtThread* t) {
        std::lock_guard<std::mutex> hold(lock);
        threads.erase(std::find(threads.begin(), threads.end(), t));
    }
    int Count() {
        std::lock_guard<std::mutex> hold(lock);
        return static_cast<int>(threads.size());
    }
};

RunningThreads* running = nullptr;

// Made, marked and made a root on first use.
RunningThreads* Registry() {
    if (!running) {
        running = gc_new<RunningThreads>();
        gc_mark_now(running);
        gc_add_root(+[]() -> gc_object* { return running; });
    }
    return running;
}

// The state is set before the thread leaves the registry; after that the
// worker must not touch the object, which may be collected from then on.
void ThreadProc(void* arg) {
    RtThread* thread = static_cast<RtThread*>(arg);
    RunningThreads* registry = running;
    thread->Run();
    thread->state.store(RtThread::kFinished, std::memory_order_release);
    registry->Remove(thread);
}

}  // namespace

void RegisterThreadRoots() { Registry(); }

int RunningThreadCount() { return running ? running->Count() : 0; }

void RtThread::Start() {
    if (state.load(std::memory_order_acquire) == kRunning) return;
    result = nullptr;
    RunningThreads* registry = Registry();
    // Shaded now: the registry may already have been marked this cycle.
    gc_shade(this);
    registry->Add(this);
    state.store(kRunning, std::memory_order_release);
    if (!PlatformStartThread(ThreadProc, this)) {
        Print(String("CreateThread failed!"));
        std::exit(-1);
    }
}

bool RtThread::IsRunning() { return state.load(std::memory_order_acquire) == kRunning; }
Object* RtThread::GetResult() { return result; }
// A plain store: the worker may call it, and the collector is not to be
// touched from there. Classes that keep a result mark it themselves.
void RtThread::SetResult(Object* value) { result = value; }
