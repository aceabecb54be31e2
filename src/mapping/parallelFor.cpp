// SPDX-License-Identifier: GPL-3.0-or-later
#include "parallelFor.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace helixplot {

unsigned parallelThreads(std::size_t count, unsigned threads)
{
    return static_cast<unsigned>(std::max<std::size_t>(1, std::min<std::size_t>(threads, count)));
}

bool parallelFor(std::size_t count, unsigned threads, const std::atomic<bool>* cancel,
                 const std::function<void(unsigned worker, std::size_t item)>& work)
{
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex mutex;
    std::exception_ptr failure;
    const auto stopped = [&] {
        return failed.load(std::memory_order_relaxed) || (cancel && cancel->load(std::memory_order_relaxed));
    };
    const auto run = [&](unsigned worker) {
        try {
            // Taken only when it will be done: next then tells whether all were.
            while (!stopped()) {
                const std::size_t item = next++;
                if (item >= count)
                    break;
                work(worker, item);
            }
        } catch (...) {
            std::lock_guard lock(mutex);
            if (!failure)
                failure = std::current_exception();
            failed = true;
        }
    };
    std::vector<std::thread> helpers;
    const unsigned wanted = parallelThreads(count, threads);
    for (unsigned worker = 1; worker < wanted; ++worker) {
        try {
            helpers.emplace_back(run, worker);
        } catch (const std::system_error&) {
            break;
        }
    }
    run(0);
    for (std::thread& helper : helpers)
        helper.join();
    if (failure)
        std::rethrow_exception(failure);
    return next.load() >= count;
}

} // namespace helixplot
