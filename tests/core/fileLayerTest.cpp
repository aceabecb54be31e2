// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer: how far a file is read, and what each failure says. Which
// files are read at all is tested through the command-line tool.

#include "genetics/binaryFile.h"
#include "genetics/inOutError.h"
#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace helixplot {
namespace {

using testing::GenomeBuilder;
using testing::makeGene;
using testing::TempDir;
using testing::writeFile;

std::string errorOf(const std::function<void()>& read)
{
    try {
        read();
    } catch (const HelixplotError& e) {
        return e.what();
    }
    return "no error";
}

TEST(FileLayer, AFileAtTheLimitIsRead)
{
    TempDir dir;
    const std::string path = dir.file("limit.gen");
    // A genome padded with bytes after its end marker up to the limit.
    std::string bytes = GenomeBuilder{makeGene(2, 1, 7)}.end().bytes();
    bytes.resize(MaxInputBytes, 'x');
    writeFile(path, bytes);
    EXPECT_EQ(TGeneticsFile(path).geneCount(), 1u);
    writeFile(path, bytes + "x");
    EXPECT_EQ(errorOf([&] { TGeneticsFile genome(path); }), "File too large (over 2 MiB)");
}

TEST(FileLayer, ReadsInBlocksAcrossItsBuffer)
{
    TempDir dir;
    const std::string path = dir.file("blocks");
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>(i * 7);
    writeFile(path, bytes);
    BinaryFile file(path);
    std::string first(70000, '\0');
    file.readExact(reinterpret_cast<std::uint8_t*>(first.data()), first.size());
    EXPECT_EQ(first, bytes.substr(0, 70000));
    EXPECT_EQ(file.readUpTo(100000), bytes.substr(70000, 100000));
    EXPECT_FALSE(file.atEnd());
    EXPECT_EQ(file.readUpTo(100000), bytes.substr(170000));
    EXPECT_TRUE(file.atEnd());
    std::uint8_t one;
    EXPECT_EQ(errorOf([&] { file.readExact(&one, 1); }), "Read beyond end of file");
}

#ifdef __linux__
// Its status gives the size 0, yet it has bytes to read.
TEST(FileLayer, AFileWithoutASizeIsReadToItsEnd)
{
    BinaryFile file("/proc/self/status");
    const std::string text = file.readUpTo(MaxInputBytes);
    EXPECT_EQ(text.rfind("Name:", 0), 0u);
    EXPECT_EQ(text.back(), '\n');
    EXPECT_TRUE(file.atEnd());
}
#endif

TEST(FileLayer, SystemErrorsSayWhatHappened)
{
    using F = InOutError::Failure;
    const struct {
        int err;
        F read;
        const char* readMessage;
        F write;
        const char* writeMessage;
    } cases[] = {
        {ENOENT, F::FileNotFound, "File not found", F::PathNotFound, "Path not found"},
        {EACCES, F::AccessDenied, "File access denied", F::AccessDenied, "File access denied"},
        {EROFS, F::System, "I/O error 30", F::AccessDenied, "File access denied"},
        {EIO, F::System, "I/O error 5", F::System, "I/O error 5"},
        {ENOSPC, F::DiskFull, "Disk full", F::DiskFull, "Disk full"},
        {EMFILE, F::TooManyOpenFiles, "Too many open files", F::TooManyOpenFiles, "Too many open files"},
        {ELOOP, F::SymbolicLinkLoop, "Too many symbolic links", F::SymbolicLinkLoop, "Too many symbolic links"},
        {EFBIG, F::FileTooLarge, "File too large (over 2 MiB)", F::FileTooLarge, "File too large (over 2 MiB)"},
        {ENAMETOOLONG, F::NameTooLong, "File name too long", F::NameTooLong, "File name too long"},
        {0, F::System, "I/O error 0", F::WriteFailed, "Disk write error"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const InOutError read = InOutError::onRead(c.err);
        EXPECT_EQ(read.failure(), c.read);
        EXPECT_STREQ(read.what(), c.readMessage);
        const InOutError write = InOutError::onWrite(c.err);
        EXPECT_EQ(write.failure(), c.write);
        EXPECT_STREQ(write.what(), c.writeMessage);
    }
    EXPECT_STREQ(InOutError(F::ReadBeyondEnd).what(), "Read beyond end of file");
    EXPECT_EQ(InOutError::onRead(EIO).systemError(), EIO);
}

TEST(FileLayer, NamesInMessagesCannotDriveATerminal)
{
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"plain/name.gen", "plain/name.gen"},
        {"\x1b[2J.gen", "\\x1B[2J.gen"},
        {std::string("a\0b", 3), "a\\x00b"},
        {"tab\there\r\n", "tab\\x09here\\x0D\\x0A"},
        {"del\x7f", "del\\x7F"},
        {"Caf\xe9 \\x", "Caf\xe9 \\x"},
        // C1 controls: raw in a Latin-1 name, as code points in UTF-8.
        {"csi\x9b"
         "2J caf\xe9",
         "csi\\x9B2J caf\xe9"},
        {"csi\xc2\x9b"
         "2J osc\xc2\x9d caf\xc3\xa9",
         "csi\\u009B2J osc\\u009D caf\xc3\xa9"},
        // Bidirectional controls, and their neighbours kept.
        {"kid\xe2\x80\xaelmth.gen", "kid\\u202Elmth.gen"},
        {"\xe2\x81\xa6x\xe2\x81\xa9 \xd8\x9c \xe2\x80\x8f \xe2\x80\x94",
         "\\u2066x\\u2069 \\u061C \\u200F \xe2\x80\x94"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(escapedForMessage(c.name), c.shown);
        EXPECT_STREQ(FileError(c.name, "File not found").what(), (c.shown + ": File not found").c_str());
    }
}

#ifndef _WIN32 // links and FIFOs as POSIX has them
// Below an open folder a file is opened name by name, no link followed.
TEST(FileLayer, BelowAFolderNoLinkIsFollowed)
{
    namespace fs = std::filesystem;
    TempDir dir;
    fs::create_directories(dir.file("top/sub"));
    writeFile(dir.file("top/sub/a.gen"), "dna2");
    fs::create_symlink("a.gen", dir.file("top/sub/link.gen"));
    fs::create_directory_symlink("sub", dir.file("top/via"));
    ASSERT_EQ(mkfifo(dir.file("top/fifo.gen").c_str(), 0600), 0);
    const OpenFolder folder(dir.file("top"));
    const struct {
        const char* relative;
        std::string read; // the bytes, else the error
        bool link;
    } cases[] = {
        {"sub/a.gen", "dna2", false},
        {"sub//a.gen", "dna2", false},
        {"sub/link.gen", "File access denied", true},
        {"via/a.gen", "File access denied", true},
        {"sub/../sub/a.gen", "File access denied", false},
        {"fifo.gen", "File access denied", false},
        {"sub/none.gen", "File not found", false},
        {"", "File not found", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.relative);
        std::string read;
        bool link = false;
        try {
            BinaryFile file(folder, c.relative);
            read = file.readUpTo(100);
        } catch (const LinkOnTheWay& e) {
            read = e.what();
            link = true;
        } catch (const InOutError& e) {
            read = e.what();
        }
        EXPECT_EQ(read, c.read);
        EXPECT_EQ(link, c.link);
    }
}
#endif

} // namespace
} // namespace helixplot
