// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

namespace helixplot {

// Work that runs on a thread of its own and is picked up on the window's
// thread: what it returns, or what it threw (std::bad_alloc included). The
// thread is never waited for where the window is; abandoning the task lets
// it end on its own, and the program waits for such threads only as it ends.
template <typename T> class BackgroundTask {
public:
    bool running() const { return state_ != nullptr; }
    bool ready() const
    {
        if (!state_)
            return false;
        std::lock_guard lock(state_->mutex);
        return state_->done;
    }
    void start(std::function<T()> work);
    // Once ready(); rethrows what the work threw.
    T take()
    {
        const std::shared_ptr<State> state = std::move(state_);
        std::lock_guard lock(state->mutex);
        if (state->error)
            std::rethrow_exception(state->error);
        return std::move(*state->value);
    }
    void abandon() { state_.reset(); }

private:
    struct State {
        mutable std::mutex mutex;
        bool done = false;
        std::optional<T> value;
        std::exception_ptr error;
    };
    std::shared_ptr<State> state_;
};

// Starts work on a detached thread counted until it ends (see
// waitForBackgroundWork()).
void startBackgroundThread(std::function<void()> work);
// Threads still running: the program entry waits for them as it ends.
std::size_t backgroundThreads();
void waitForBackgroundWork();

template <typename T> void BackgroundTask<T>::start(std::function<T()> work)
{
    auto state = std::make_shared<State>();
    state_ = state;
    startBackgroundThread([state, work = std::move(work)] {
        std::optional<T> value;
        std::exception_ptr error;
        try {
            value.emplace(work());
        } catch (...) {
            error = std::current_exception();
        }
        std::lock_guard lock(state->mutex);
        state->value = std::move(value);
        state->error = error;
        state->done = true;
    });
}

} // namespace helixplot
