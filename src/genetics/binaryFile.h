// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inOutError.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace helixplot {

// Bytes read in blocks of an exact size. A block that runs past the end
// raises InOutError "Read beyond end of file".
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // True when no byte is left to read.
    virtual bool atEnd() = 0;
    virtual void readExact(std::uint8_t* into, std::size_t count) = 0;
    std::uint8_t readByte()
    {
        std::uint8_t b;
        readExact(&b, 1);
        return b;
    }
};

// Bytes already in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : rest_(bytes) {}

    bool atEnd() final { return rest_.empty(); }
    void readExact(std::uint8_t* into, std::size_t count) final
    {
        if (rest_.size() < count)
            throw InOutError(InOutError::Failure::ReadBeyondEnd);
        std::memcpy(into, rest_.data(), count);
        rest_.remove_prefix(count);
    }
    // Up to count bytes, fewer only at the end.
    std::string readUpTo(std::size_t count);

protected:
    std::string_view rest_;
};

// A folder held open, so that files below it are opened relative to it, a
// name at a time, and never through a symbolic link (see BinaryFile).
// Failures raise InOutError.
class OpenFolder {
public:
    explicit OpenFolder(const std::string& path);
    ~OpenFolder();
    OpenFolder(const OpenFolder&) = delete;
    OpenFolder& operator=(const OpenFolder&) = delete;

    const std::string& path() const { return path_; }

private:
    friend class BinaryFile;
    std::string path_;
    int fd_ = -1; // POSIX: the folder's descriptor
};

// Raised by a file opened below an OpenFolder when its name, or a folder on
// its way, is a symbolic link (or another reparse point).
struct LinkOnTheWay : InOutError {
    LinkOnTheWay() : InOutError(Failure::AccessDenied) {}
};

// A regular file, read whole when it is opened and decoded from memory.
// Anything else (a folder, a FIFO, a device, a socket) is refused with "File
// access denied" without ever waiting on it. A file above sizeLimit bytes is
// refused before it is read, and should it grow meanwhile; with
// Oversize::Cut only its first sizeLimit bytes are read instead. Failures
// raise InOutError.
class BinaryFile final : public MemorySource {
public:
    enum class Oversize { Refuse, Cut };

    explicit BinaryFile(const std::string& path, std::uint64_t sizeLimit = MaxInputBytes,
                        Oversize oversize = Oversize::Refuse);
    // The file relative ('/'-separated, no "." or "..") below folder, opened
    // without following any link; what was opened is the one checked and
    // read.
    BinaryFile(const OpenFolder& folder, const std::string& relative, std::uint64_t sizeLimit = MaxInputBytes);
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

private:
    void readOpened(int fd, std::uint64_t sizeLimit, Oversize oversize);

    std::unique_ptr<char[]> bytes_;
};

} // namespace helixplot
