// SPDX-License-Identifier: GPL-3.0-or-later
// The tool runs as a POSIX child process here; on Windows the test scripts
// compare its outputs with the Linux build's instead.
#ifndef _WIN32

#include "cliRunner.h"

#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace helixplot::testing {

namespace {

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace

CliRun runCli(const std::vector<std::string>& args, const CliSetup& setup)
{
    CliRun run;
#ifdef HELIXPLOT_CLI
    TempDir dir;
    const std::string outPath = dir.file("out");
    const std::string errPath = setup.standardError.empty() ? dir.file("err") : setup.standardError;

    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "HELIXPLOT_SETTINGS=", 19) != 0)
            env.emplace_back(*e);
    env.push_back("HELIXPLOT_SETTINGS=" + setup.settingsPath);
    std::vector<char*> envp;
    for (auto& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    std::vector<std::string> argStore;
    if (!setup.shellPrefix.empty())
        argStore = {"/bin/sh", "-c", setup.shellPrefix + "; exec \"$0\" \"$@\""};
    argStore.push_back(HELIXPLOT_CLI);
    argStore.insert(argStore.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, setup.standardInput.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        ADD_FAILURE() << "cannot start " << argv[0] << ": " << std::strerror(spawned);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(setup.timeoutSeconds);
    int wstatus = 0;
    while (waitpid(pid, &wstatus, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &wstatus, 0);
            ADD_FAILURE() << "helixplot-cli did not end within " << setup.timeoutSeconds << " s";
            run.status = -2;
            return run;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    run.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    run.out = readAll(outPath);
    if (setup.standardError.empty())
        run.err = readAll(errPath);
#else
    (void)args;
    (void)setup;
    ADD_FAILURE() << "helixplot-cli is not built";
#endif
    return run;
}

} // namespace helixplot::testing

#endif // _WIN32
