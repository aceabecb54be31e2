// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusJob.h"

namespace helixplot {

CensusJob::CensusJob(std::string folder, bool recursive)
{
    thread_ = std::thread([this, folder = std::move(folder), recursive] {
        LineageOptions lineage;
        CensusOptions& options = lineage.census;
        options.recursive = recursive;
        options.cancel = &cancel_;
        options.rowRead = [this](std::size_t, const CensusRow& row) {
            std::lock_guard lock(mutex_);
            read_.push_back(row);
        };
        options.progress = [this](std::size_t done, std::size_t total) {
            std::lock_guard lock(mutex_);
            done_ = done;
            total_ = total;
        };
        Lineage traced;
        std::exception_ptr error;
        try {
            traced = traceLineage(folder, lineage);
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(mutex_);
        lineage_ = std::move(traced);
        error_ = error;
        finished_ = true;
    });
}

CensusJob::~CensusJob()
{
    cancel();
    thread_.join();
}

CensusJob::Harvest CensusJob::take()
{
    Harvest harvest;
    std::lock_guard lock(mutex_);
    harvest.rows.swap(read_);
    harvest.done = done_;
    harvest.total = total_;
    if (finished_ && !handedOver_) {
        handedOver_ = true;
        harvest.finished = true;
        harvest.census = std::move(lineage_.census);
        harvest.events = std::move(lineage_.events);
        harvest.genes = std::move(lineage_.genes);
        harvest.error = error_;
    }
    return harvest;
}

} // namespace helixplot
