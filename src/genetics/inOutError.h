// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace helixplot {

// Every failure the program reports is one of these; what() is the text the
// user sees, to the letter.
class HelixplotError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A failure of the file layer. The four classes every reader knows keep
// their texts ("File not found", "File access denied", "Read beyond end of
// file", "I/O error N" with the system's number); a few other system errors
// say what happened in their own words.
class InOutError : public HelixplotError {
public:
    enum class Failure {
        FileNotFound,
        AccessDenied,
        ReadBeyondEnd,
        FileTooLarge,
        PathNotFound,
        DiskFull,
        WriteFailed,
        TooManyOpenFiles,
        SymbolicLinkLoop,
        OutOfMemory,
        NameTooLong,
        System, // any other system error, by its number
    };

    explicit InOutError(Failure failure, int systemError = 0);
    // A system error (errno) met while opening or reading a file.
    static InOutError onRead(int systemError);
    // A system error (errno) met while creating or writing a file.
    static InOutError onWrite(int systemError);

    Failure failure() const { return failure_; }
    // The errno behind the failure, 0 when there is none.
    int systemError() const { return systemError_; }

private:
    Failure failure_;
    int systemError_;
};

// A failure tied to one file: "PATH: MESSAGE", the path escaped as below.
class FileError : public HelixplotError {
public:
    FileError(std::string_view path, std::string_view message);
};

// The largest genome or chemical-name file that is read; real genomes are
// below 1 MiB. Reading stops with FileTooLarge past it. The worst accepted
// genome costs about 475 times its size in a parental mapping (see
// scripts/peak-memory.sh): under 1 GiB.
inline constexpr std::uint64_t MaxInputBytes = 2u << 20;

// name with every control character written out, so that a file name
// printed in a message cannot drive a terminal nor turn its line around:
// bytes below 0x20 and 0x7F as \xNN; in a name that is UTF-8 the C1
// controls (U+0080 to U+009F) and the bidirectional controls (U+061C,
// U+200E, U+200F, U+202A to U+202E, U+2066 to U+2069) as \uNNNN; in any other
// name (Latin-1) the bytes 0x80 to 0x9F as \xNN.
std::string escapedForMessage(std::string_view name);

} // namespace helixplot
