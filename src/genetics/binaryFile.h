#pragma once

#include "inOutError.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

inline constexpr std::uint64_t NoSizeLimit = UINT64_MAX;

// A regular file opened for reading only. Anything else (a folder, a FIFO,
// a device) is refused with "File access denied" without ever waiting on
// it; a file above sizeLimit bytes is refused before it is read, and reading
// stops there should it grow meanwhile. Failures raise InOutError.
class BinaryFile final : public ByteSource {
public:
    explicit BinaryFile(const std::string& path, std::uint64_t sizeLimit = MaxInputBytes);
    ~BinaryFile() override;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool atEnd() override { return next_ == end_ && !fill(); }
    // Inline for the common case, a block within the buffer.
    void readExact(std::uint8_t* into, std::size_t count) override
    {
        if (end_ - next_ < count)
            return readAcross(into, count);
        std::memcpy(into, buffer_.get() + next_, count);
        next_ += count;
    }
    // Up to count bytes, fewer only at the end of the file.
    std::string readUpTo(std::size_t count);

private:
    // Refills the buffer; false at the end of the file.
    bool fill();
    void readAcross(std::uint8_t* into, std::size_t count);

    int fd_ = -1;
    std::uint64_t sizeLimit_;
    std::uint64_t readSoFar_ = 0;
    // Sized to the file (within limits) and never cleared: a census opens
    // thousands of small files.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t bufferSize_ = 0;
    std::size_t next_ = 0;
    std::size_t end_ = 0;
};

// Bytes already in memory.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : rest_(bytes) {}
    bool atEnd() override { return rest_.empty(); }
    void readExact(std::uint8_t* into, std::size_t count) override;

private:
    std::string_view rest_;
};

} // namespace helixplot
