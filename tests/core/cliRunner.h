// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace helixplot::testing {

struct CliRun {
    int status = -1; // the exit status; -1 for a signal, -2 for a timeout
    std::string out;
    std::string err;
};

struct CliSetup {
    // HELIXPLOT_SETTINGS for the run (a file that need not exist), so that no
    // settings of the machine play a part.
    std::string settingsPath;
    std::string standardInput = "/dev/null";
    // Where standard error goes; empty for a file that the run returns.
    std::string standardError;
    // Shell commands run before the tool, in the same process (ulimit).
    std::string shellPrefix;
    // A hang fails the test instead of the suite.
    int timeoutSeconds = 20;
};

// Runs helixplot-cli with args as a separate process and waits for it, for
// at most the setup's timeout (then kills it and records a failure).
CliRun runCli(const std::vector<std::string>& args, const CliSetup& setup);

inline CliRun runCli(const std::vector<std::string>& args, const std::string& settingsPath)
{
    CliSetup setup;
    setup.settingsPath = settingsPath;
    return runCli(args, setup);
}

} // namespace helixplot::testing
