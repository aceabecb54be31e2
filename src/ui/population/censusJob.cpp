// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusJob.h"

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace helixplot {

namespace {

// The census's threads, which inherit it, give way to the window's when
// both want a core; alone they run as fast as ever.
void yieldToTheWindow()
{
#ifdef __linux__
    setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), 5);
#endif
}

} // namespace

CensusJob::CensusJob(std::string folder, bool recursive)
{
    thread_ = std::thread([this, folder = std::move(folder), recursive] {
        yieldToTheWindow();
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
        // The table need not wait for the lineage's pass over the genes.
        options.beforeGenePass = [this](const std::vector<CensusRow>& rows) {
            Census census{rows};
            linkCensusFamilies(census.rows);
            std::lock_guard lock(mutex_);
            census_ = std::move(census);
            finished_ = true;
        };
        try {
            Lineage traced = traceLineage(folder, lineage);
            lineage_.set_value(std::move(traced));
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            lineage_.set_exception(error);
            std::lock_guard lock(mutex_);
            if (!finished_) {
                error_ = error;
                finished_ = true;
            }
        }
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
        harvest.census = std::move(census_);
        harvest.error = error_;
    }
    return harvest;
}

} // namespace helixplot
