#include "platform/WorkerThread.h"

#include <utility>

namespace tsivor::platform {

TWorkerThread::~TWorkerThread() {
    if (!FThread.joinable()) return;
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [this] { return !FBusy; });
        FStop = true;
    }
    FChanged.notify_all();
    FThread.join();
}

void TWorkerThread::Start(std::function<void()> job) {
    {
        std::lock_guard lock(FMutex);
        FJob = std::move(job);
        FBusy = true;
        FError = nullptr;
    }
    if (!FThread.joinable())
        FThread = std::thread([this] { Run(); });
    else
        FChanged.notify_all();
}

void TWorkerThread::Wait() {
    std::exception_ptr error;
    {
        std::unique_lock lock(FMutex);
        FChanged.wait(lock, [this] { return !FBusy; });
        error = std::exchange(FError, nullptr);
    }
    if (error) std::rethrow_exception(error);
}

void TWorkerThread::Run() {
    std::unique_lock lock(FMutex);
    for (;;) {
        FChanged.wait(lock, [this] { return FBusy || FStop; });
        if (FStop) return;
        std::function<void()> job = std::exchange(FJob, nullptr);
        lock.unlock();
        std::exception_ptr error;
        try {
            job();
        } catch (...) {
            error = std::current_exception();
        }
        job = nullptr;
        lock.lock();
        FError = error;
        FBusy = false;
        FChanged.notify_all();
    }
}

} // namespace tsivor::platform
