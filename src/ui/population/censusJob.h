// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/lineage.h"

#include <atomic>
#include <exception>
#include <future>
#include <memory>
#include <mutex>
#include <string>
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
    // cancel stops the job (and everything else that shares it): its
    // threads end on their own, soon, without being waited for.
    CensusJob(std::string folder, bool recursive, std::shared_ptr<std::atomic<bool>> cancel);
    ~CensusJob();
    CensusJob(const CensusJob&) = delete;
    CensusJob& operator=(const CensusJob&) = delete;

    void cancel() { *cancel_ = true; }

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
    std::future<Lineage> lineage() { return state_->lineage.get_future(); }

private:
    // Shared with the job's thread, which may outlive the job.
    struct State {
        std::mutex mutex;
        std::vector<CensusRow> read;
        std::size_t done = 0;
        std::size_t total = 0;
        bool finished = false;
        bool handedOver = false;
        Census census;
        std::exception_ptr error;
        std::promise<Lineage> lineage;
    };
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

} // namespace helixplot
