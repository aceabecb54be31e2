// SPDX-License-Identifier: GPL-3.0-or-later
// helixplot-cli on files that are not genomes, or are made to do harm: every
// run ends within its timeout with its status and one exact message.

// The tool runs as a POSIX child process here; on Windows the test scripts
// compare its outputs with the Linux build's instead.
#ifndef _WIN32

#include "cliRunner.h"
#include "genetics/inOutError.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define HELIXPLOT_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define HELIXPLOT_ASAN 1
#endif
#endif

namespace helixplot {
namespace {

using testing::CliRun;
using testing::CliSetup;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::runCli;
using testing::TempDir;
using testing::writeFile;

const std::string Samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";
const std::string Child = Samples + "tibb.gen";
const std::string Chemicals = Samples + "allchemicals.str";
const std::string SettingsSection = "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\n";

class CliHostileInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
        ASSERT_EQ(::mkfifo(stalled.c_str(), 0600), 0);
        // A writer that holds the FIFO open, writes a genome's start and
        // then never writes again.
        writer_ = ::fork();
        ASSERT_GE(writer_, 0);
        if (writer_ == 0) {
            const int fd = ::open(stalled.c_str(), O_RDWR);
            if (fd >= 0 && ::write(fd, "dna2gene", 8) == 8)
                ::pause();
            ::_exit(0);
        }
        socket_ = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(socketPath.size(), sizeof address.sun_path);
        socketPath.copy(address.sun_path, socketPath.size());
        ASSERT_EQ(::bind(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        std::filesystem::create_directories(folder);
        std::filesystem::create_directories(dir.file("game"));
        ASSERT_EQ(::mkfifo(dir.file("game/allchemicals.str").c_str(), 0600), 0);
        std::filesystem::resize_file((writeFile(oversize, ""), oversize), MaxInputBytes + 1);
        writeFile(settings, SettingsSection + "Main Directory=" + Samples + "\n");
    }
    void TearDown() override
    {
        if (socket_ >= 0)
            ::close(socket_);
        if (writer_ > 0) {
            ::kill(writer_, SIGKILL);
            ::waitpid(writer_, nullptr, 0);
        }
    }

    CliRun run(const std::vector<std::string>& args, CliSetup setup = {})
    {
        if (setup.settingsPath.empty())
            setup.settingsPath = settings;
        return runCli(args, setup);
    }

    TempDir dir;
    const std::string fifo = dir.file("fifo.gen");
    const std::string stalled = dir.file("stalled.gen");
    const std::string folder = dir.file("folder.gen");
    const std::string oversize = dir.file("oversize.gen");
    const std::string settings = dir.file("settings.ini");
    const std::string socketPath = dir.file("socket.gen");

private:
    pid_t writer_ = -1;
    int socket_ = -1;
};

TEST_F(CliHostileInput, FilesThatAreNoRegularFilesOrTooLargeAreRefused)
{
    const std::string denied = ": File access denied\n";
    const std::string tooLarge = ": File too large (over 2 MiB)\n";
    const std::string longPath = dir.file(std::string(4100, 'n') + ".gen");
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {"FIFO as genome", {"summary", fifo}, fifo + denied},
        {"FIFO as comparator", {"map", Child, fifo}, fifo + denied},
        {"FIFO as second comparator", {"map", Child, Child, fifo}, fifo + denied},
        {"FIFO as chemical names", {"breakdown", "--chemicals", fifo, Child}, fifo + denied},
        {"FIFO with a stalled writer", {"breakdown", stalled}, stalled + denied},
        {"folder", {"summary", folder}, folder + denied},
        {"character device", {"summary", "/dev/zero"}, "/dev/zero" + denied},
        {"device as chemical names", {"map", "--chemicals", "/dev/zero", Child}, "/dev/zero" + denied},
        {"sparse file over the limit", {"summary", oversize}, oversize + tooLarge},
        {"chemical names over the limit", {"breakdown", "--chemicals", oversize, Child}, oversize + tooLarge},
        {"a read that fails (EIO)", {"summary", "/proc/self/mem"}, "/proc/self/mem: I/O error 5\n"},
        {"socket", {"summary", socketPath}, socketPath + denied},
        {"path over 4096 characters", {"summary", longPath}, longPath + ": File name too long\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "helixplot-cli: " + c.err);
    }
}

TEST_F(CliHostileInput, SettingsAndTheGamesChemicalFileThatCannotBeReadCostOnlyTheNames)
{
    const std::string gameSettings = dir.file("game.ini");
    writeFile(gameSettings, SettingsSection + "Main Directory=" + dir.file("game") + "/\n");
    const std::string warning = "helixplot-cli: warning: chemical names not loaded: ";
    const struct {
        const char* what;
        std::string settingsPath;
        std::string err;
    } cases[] = {
        {"allchemicals.str is a FIFO", gameSettings, dir.file("game/allchemicals.str") + ": File access denied"},
        {"settings file is a FIFO", fifo, fifo + ": File access denied"},
        {"settings file with a stalled writer", stalled, stalled + ": File access denied"},
        {"settings file is a device", "/dev/urandom", "/dev/urandom: File access denied"},
        {"settings file is a folder", folder, folder + ": File access denied"},
    };
    const CliRun plain = run({"breakdown", "--chemicals", "/dev/null", Child});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CliSetup setup;
        setup.settingsPath = c.settingsPath;
        const CliRun r = run({"breakdown", Child}, setup);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, warning + c.err + "\n");
        EXPECT_NE(r.out.find("Creature Genus\n"), std::string::npos);
    }
    // /dev/null is no regular file either.
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.err, "helixplot-cli: /dev/null: File access denied\n");
}

TEST_F(CliHostileInput, StandardInputIsReadUpToTheLimit)
{
    const CliRun fromFile = run({"summary", Child});
    ASSERT_EQ(fromFile.out.rfind("Mother: nela, Father: orvo\nTotal Genes: ", 0), 0u);

    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string input;
        int status;
        std::string out;
        std::string err;
    } cases[] = {
        {"a genome", {"summary", "-"}, Child, 0, fromFile.out, ""},
        {"as a comparator", {"map", "--mode", "single", Child, "-"}, Child, 0, run({"map", Child, Child}).out, ""},
        {"an endless stream", {"summary", "-"}, "/dev/zero", 1, "", "helixplot-cli: -: File too large (over 2 MiB)\n"},
        {"nothing", {"summary", "-"}, "/dev/null", 1, "", "helixplot-cli: -: Read beyond end of file\n"},
        {"parental mode",
         {"map", "--mode", "parental", "-"},
         Child,
         1,
         "",
         "helixplot-cli: parental mode needs the genome's folder, not standard input\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CliSetup setup;
        setup.standardInput = c.input;
        const CliRun r = run(c.args, setup);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.out, c.out);
        EXPECT_EQ(r.err, c.err);
    }
}

// The parents' names come from the genus gene of a file that anyone may
// have made. Each case plants a genome where the name would lead, to show
// that it is never opened.
TEST_F(CliHostileInput, ParentsNamesThatAreNoPlainFileNamesAreNotFound)
{
    const std::string family = dir.file("family");
    std::filesystem::create_directories(family + "/sub");
    const std::string genome = GenomeBuilder{makeGene(2, 0, 1, {1})}.bytes();
    const auto genus = [](std::string_view mother, std::string_view father) {
        std::vector<std::uint8_t> body(9, 0);
        std::copy(mother.begin(), mother.end(), body.begin() + 1);
        std::copy(father.begin(), father.end(), body.begin() + 5);
        return makeGene(2, 1, 0, body);
    };
    writeFile(family + "/ma.gen", genome);
    writeFile(family + "/pa.gen", genome);

    const struct {
        const char* what;
        GeneRecord first;
        std::string planted; // a genome where the name would lead
        std::string err;
    } cases[] = {
        {"escape sequence", genus("\x1b[2J", "pa"), family + "/\x1b[2J.gen", family + "/\\x1B[2J.gen"},
        {"parent folder", genus("../m", "pa"), dir.file("m.gen"), family + "/../m.gen"},
        {"separator", genus("ma", "x/pa"), family + "/x/pa.gen", family + "/x/pa.gen"},
        {"backslash", genus("a\\b", "pa"), family + "/a\\b.gen", family + "/a\\b.gen"},
        {"dot dot", genus("..", "pa"), family + "/...gen", family + "/...gen"},
        {"control character", genus("m\ta", "pa"), family + "/m\ta.gen", family + "/m\\x09a.gen"},
        {"no name", genus("", "pa"), family + "/.gen", family + "/.gen"},
        {"no genus gene", makeGene(3, 0, 1), family + "/.gen", family + "/.gen"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::create_directories(std::filesystem::path(c.planted).parent_path());
        writeFile(c.planted, genome);
        const std::string child = family + "/child.gen";
        GenomeBuilder{c.first, makeGene(2, 0, 1, {1})}.writeTo(child);
        const CliRun r = run({"map", "--mode", "parental", child});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "helixplot-cli: " + c.err + ": File not found\n");
        std::filesystem::remove(c.planted);
    }
}

TEST_F(CliHostileInput, AFailedWriteOfTheProgressTraceEndsWithOne)
{
    CliSetup setup;
    setup.standardError = "/dev/full";
    EXPECT_EQ(run({"map", "--trace-progress", Child}, setup).status, 1);
    EXPECT_EQ(run({"map", Child}, setup).status, 0);
}

TEST_F(CliHostileInput, OutOfMemoryNamesTheFile)
{
#ifdef HELIXPLOT_ASAN
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    // Every 11-byte gene of an unknown kind takes a whole record in memory.
    const std::string genome = dir.file("many\x1b.gen");
    GenomeBuilder builder;
    for (std::size_t size = 4; size + 11 <= MaxInputBytes; size += 11)
        builder.add(makeGene(4, 0, 1));
    builder.writeTo(genome);
    CliSetup setup;
    setup.shellPrefix = "ulimit -v 50000";
    const CliRun r = run({"summary", genome}, setup);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "helixplot-cli: " + dir.file("many\\x1B.gen") + ": Out of memory\n");
    // Without the bound the same file is read.
    EXPECT_EQ(run({"summary", genome}).status, 0);
#endif
}

} // namespace
} // namespace helixplot

#endif // _WIN32
