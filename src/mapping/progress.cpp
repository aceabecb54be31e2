// SPDX-License-Identifier: GPL-3.0-or-later
#include "progress.h"

namespace helixplot {

void RecordingProgress::showProgress()
{
    calls.push_back("showProgress");
}

void RecordingProgress::beginStage(int stage, int maximum)
{
    calls.push_back("beginStage " + std::to_string(stage) + " " + std::to_string(maximum));
}

void RecordingProgress::setProgressPosition(int position)
{
    calls.push_back("setProgressPosition " + std::to_string(position));
}

void RecordingProgress::endStage(int stage, StageMark mark)
{
    calls.push_back("endStage " + std::to_string(stage) + " " + std::to_string(static_cast<int>(mark)));
}

void RecordingProgress::finishProgress()
{
    calls.push_back("finishProgress");
}

void RecordingProgress::pause(int milliseconds)
{
    calls.push_back("pause " + std::to_string(milliseconds));
}

} // namespace helixplot
