// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/lineage.h"

#include <atomic>
#include <exception>
#include <functional>
#include <future>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace helixplot {

// A census taken on worker threads while the window goes on answering, with
// the lineage of its mutations: the rows read so far, the progress and the
// finished census are collected from the user-interface thread (take()),
// never pushed into it. The census is handed over as soon as every row has
// its parents and counts; the lineage, which needs one more pass over the
// genes, follows through lineage().
class CensusJob {
public:
    CensusJob(std::string folder, bool recursive);
    // Cancels and waits for the threads.
    ~CensusJob();
    CensusJob(const CensusJob&) = delete;
    CensusJob& operator=(const CensusJob&) = delete;

    void cancel() { cancel_ = true; }

    struct Harvest {
        std::vector<CensusRow> rows; // read since the last harvest
        std::size_t done = 0;
        std::size_t total = 0;
        bool finished = false;
        Census census;            // when finished without error
        std::exception_ptr error; // when finished with one (CensusCancelled too)
    };
    Harvest take();
    // The lineage, with the census it was traced on; once only.
    std::future<Lineage> lineage() { return lineage_.get_future(); }

private:
    std::atomic<bool> cancel_{false};
    std::mutex mutex_;
    std::vector<CensusRow> read_;
    std::size_t done_ = 0;
    std::size_t total_ = 0;
    bool finished_ = false;
    bool handedOver_ = false;
    Census census_;
    std::exception_ptr error_;
    std::promise<Lineage> lineage_;
    std::thread thread_;
};

} // namespace helixplot
