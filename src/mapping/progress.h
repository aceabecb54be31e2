// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace helixplot {

// How a stage ended. Any other value, which no run reports, shows as failed.
enum class StageMark { Skipped = 1, Done = 2 };

// What a mapping run reports while it works. The desktop program's progress
// dialog shows it with real waits; tests and the command-line tool record or
// ignore it.
class ProgressReporter {
public:
    virtual ~ProgressReporter() = default;

    virtual void showProgress() = 0;
    virtual void beginStage(int stage, int maximum) = 0;
    virtual void setProgressPosition(int position) = 0;
    virtual void endStage(int stage, StageMark mark) = 0;
    // Waits one second, then closes the display.
    virtual void finishProgress() = 0;
    // The run's fixed pause after the statistics stage.
    virtual void pause(int milliseconds) = 0;
};

// Reports to nobody.
class SilentProgress : public ProgressReporter {
public:
    void showProgress() override {}
    void beginStage(int, int) override {}
    void setProgressPosition(int) override {}
    void endStage(int, StageMark) override {}
    void finishProgress() override {}
    void pause(int) override {}
};

// Keeps every call as one line: "showProgress", "beginStage 1 19",
// "setProgressPosition 3", "endStage 2 2", "finishProgress", "pause 500".
class RecordingProgress : public ProgressReporter {
public:
    std::vector<std::string> calls;

    void showProgress() override;
    void beginStage(int stage, int maximum) override;
    void setProgressPosition(int position) override;
    void endStage(int stage, StageMark mark) override;
    void finishProgress() override;
    void pause(int milliseconds) override;
};

} // namespace helixplot
