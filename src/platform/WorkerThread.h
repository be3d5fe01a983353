#pragma once
// TWorkerThread: one thread kept for the life of its owner, running one job at a time while the
// owner's thread does its own share. Kept rather than started per job, so that what Qt keeps
// per thread (the font caches of text drawing) lives from job to job.

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

namespace tsivor::platform {

class TWorkerThread {
public:
    TWorkerThread() = default;
    // Waits for a running job, then stops the thread.
    ~TWorkerThread();
    TWorkerThread(const TWorkerThread&) = delete;
    TWorkerThread& operator=(const TWorkerThread&) = delete;

    // Hands job to the thread (started on first use); the previous job must have been waited for.
    void Start(std::function<void()> job);
    // Returns when the job has finished; an exception it threw is thrown here.
    void Wait();

private:
    void Run();

    std::mutex FMutex;
    std::condition_variable FChanged;
    std::function<void()> FJob;
    bool FBusy = false;
    bool FStop = false;
    std::exception_ptr FError;
    std::thread FThread;
};

} // namespace tsivor::platform
