// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/inOutError.h"

#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

// The refusals every output shares (what() ends "PATH: " and one of these).
inline constexpr const char* NeverWritesGenomeMessage = "Helixplot never writes a genome file";
inline constexpr const char* NeverWritesInputMessage = "Helixplot never writes a file it reads";
inline constexpr const char* NotRegularFileMessage = "not a regular file";
inline constexpr const char* DanglingLinkMessage = "the link leads to no file";
inline constexpr const char* ExistingGenomeTargetMessage = "the file exists; a genome is only written as a new file";

// An output that must not or could not be written: "PATH: REASON", the
// reason the system's own words ("No space left on device") or one of the
// refusals above.
class OutputError : public FileError {
public:
    OutputError(std::string_view path, std::string_view reason, int systemError);
    // The system's error number behind it; 0 for a refusal of Helixplot's
    // own (a genome, a file the run reads, no regular file), but EISDIR for
    // a folder, which the system would refuse all the same.
    int systemError() const { return systemError_; }

private:
    int systemError_;
};

// Where an output may go: the target with its links resolved, once it has
// passed every check.
struct OutputTarget {
    std::string path;     // as the user named it, for messages
    std::string resolved; // the file that is replaced or created
};

// Checks path before any work is done, and throws OutputError unless an
// output may go there: links are followed first, and then the file must be
// a regular file or a new name in an existing folder that can be written,
// must not start like a genome file or have a ".gen" name, and must not be
// one of readFiles (the files the run reads, compared as files, so another
// name or a hard link of one is found too). Never opens anything but a
// regular file, so a FIFO or a device cannot block it.
OutputTarget checkOutputTarget(const std::string& path, const std::vector<std::string>& readFiles);

// One output file, written whole or not at all: the bytes go to a new file
// beside the target, which replaces the target only at commit(). Destroyed
// without commit(), it leaves the target as it was.
class OutputFile {
public:
    OutputFile(const std::string& path, const std::vector<std::string>& readFiles);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void write(std::string_view bytes);
    void commit();

private:
    void discard() noexcept;
    [[noreturn]] void fail(int systemError);
    void replaceTarget();
    void renameOver();
    const char* refusalOfSwappedOut() const;

    std::vector<std::string> readFiles_;
    OutputTarget target_;
    std::string temporary_;
    int fd_ = -1;
};

// A file size limit (ulimit -f) then fails a write with "File too large"
// instead of ending the program by a signal, so that the temporary file is
// removed and the error named. OutputFile calls it; a program that writes
// to standard output calls it first. Nothing on Windows, which has no such
// signal.
void ignoreFileSizeSignal();

// Standard output, before anything is written to it: throws OutputError
// ("standard output: REASON") when it is a genome file (by its name or its
// first bytes) or one of readFiles. Anything but a regular file passes.
void checkStandardOutput(const std::vector<std::string>& readFiles);

// Whether path leads to what standard output is, when that is no regular
// file (a pipe or a terminal behind /dev/stdout).
bool isStandardOutputStream(const std::string& path);

// Writes bytes to path through an OutputFile.
void writeOutputFile(const std::string& path, std::string_view bytes, const std::vector<std::string>& readFiles);

// A new genome file, the one kind of genome Helixplot writes: path must
// name nothing yet (no file, no link, not even a dangling one) in an
// existing folder. checkNewGenomeTarget throws OutputError where
// writeNewGenomeFile would fail before writing; writeNewGenomeFile writes
// the bytes to a temporary file beside path and gives it the name only if
// nothing has taken the name meanwhile, so it never replaces a file.
void checkNewGenomeTarget(const std::string& path);
void writeNewGenomeFile(const std::string& path, std::string_view bytes);

} // namespace helixplot
