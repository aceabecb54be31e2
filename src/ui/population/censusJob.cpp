// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusJob.h"

#include "backgroundTask.h"

namespace helixplot {

CensusJob::CensusJob(std::string folder, bool recursive, std::shared_ptr<std::atomic<bool>> cancel)
    : cancel_(std::move(cancel))
{
    startBackgroundThread([state = state_, cancel = cancel_, folder = std::move(folder), recursive] {
        LineageOptions lineage;
        CensusOptions& options = lineage.census;
        options.recursive = recursive;
        options.cancel = cancel.get();
        options.rowRead = [&state](std::size_t, const CensusRow& row) {
            std::lock_guard lock(state->mutex);
            state->read.push_back(row);
        };
        options.progress = [&state](std::size_t done, std::size_t total) {
            std::lock_guard lock(state->mutex);
            state->done = done;
            state->total = total;
        };
        // The table need not wait for the lineage's pass over the genes.
        options.beforeGenePass = [&state](const std::vector<CensusRow>& rows) {
            Census census{rows};
            linkCensusFamilies(census.rows);
            std::lock_guard lock(state->mutex);
            state->census = std::move(census);
            state->finished = true;
        };
        try {
            Lineage traced = traceLineage(folder, lineage);
            state->lineage.set_value(std::move(traced));
        } catch (...) {
            // Out of memory included: the window shows it.
            const std::exception_ptr error = std::current_exception();
            state->lineage.set_exception(error);
            std::lock_guard lock(state->mutex);
            if (!state->finished) {
                state->error = error;
                state->finished = true;
            }
        }
    });
}

CensusJob::~CensusJob() = default;

CensusJob::Harvest CensusJob::take()
{
    Harvest harvest;
    std::lock_guard lock(state_->mutex);
    harvest.rows.swap(state_->read);
    harvest.done = state_->done;
    harvest.total = state_->total;
    if (state_->finished && !state_->handedOver) {
        state_->handedOver = true;
        harvest.finished = true;
        harvest.census = std::move(state_->census);
        harvest.error = state_->error;
    }
    return harvest;
}

} // namespace helixplot
