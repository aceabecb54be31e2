// SPDX-License-Identifier: GPL-3.0-or-later
#include "backgroundTask.h"

#include <condition_variable>
#include <thread>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace helixplot {

namespace {

struct Running {
    std::mutex mutex;
    std::condition_variable ended;
    std::size_t threads = 0;
};

Running& running()
{
    // Never destroyed: a thread may end after the program's statics are gone.
    static Running* const all = new Running;
    return *all;
}

// The workers, and the census's threads they start, give way to the
// window's thread when both want a core; alone they run as fast as ever.
void yieldToTheWindow()
{
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
#endif
}

} // namespace

void startBackgroundThread(std::function<void()> work)
{
    Running& all = running();
    {
        std::lock_guard lock(all.mutex);
        ++all.threads;
    }
    try {
        std::thread([work = std::move(work), &all]() mutable {
            yieldToTheWindow();
            {
                // What the work holds goes before the thread counts as ended.
                const std::function<void()> job = std::move(work);
                job();
            }
            std::lock_guard lock(all.mutex);
            --all.threads;
            all.ended.notify_all();
        }).detach();
    } catch (...) {
        std::lock_guard lock(all.mutex);
        --all.threads;
        throw;
    }
}

std::size_t backgroundThreads()
{
    Running& all = running();
    std::lock_guard lock(all.mutex);
    return all.threads;
}

void waitForBackgroundWork()
{
    Running& all = running();
    std::unique_lock lock(all.mutex);
    all.ended.wait(lock, [&all] { return all.threads == 0; });
}

} // namespace helixplot
