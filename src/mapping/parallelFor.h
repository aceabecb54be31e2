// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

namespace helixplot {

// The threads parallelFor uses for count items: at least one, at most one
// per item.
unsigned parallelThreads(std::size_t count, unsigned threads);

// Calls work(worker, item) once for every item in [0, count), handed out in
// order to parallelThreads(count, threads) threads, the calling one among
// them (worker 0); worker tells which thread calls, for state kept per
// thread. Once cancel is set, no thread takes another item: false is
// returned when items were left undone for it. The first exception that
// work throws (std::bad_alloc included) stops the other threads after their
// item at hand and is thrown once they have all stopped. Threads that cannot
// be started leave their share to the others.
bool parallelFor(std::size_t count, unsigned threads, const std::atomic<bool>* cancel,
                 const std::function<void(unsigned worker, std::size_t item)>& work);

} // namespace helixplot
