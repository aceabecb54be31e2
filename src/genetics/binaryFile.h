#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
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

// A file opened for reading only. Failures raise InOutError with the file
// layer's messages.
class BinaryFile : public ByteSource {
public:
    explicit BinaryFile(const std::string& path);
    ~BinaryFile() override;
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    bool atEnd() override;
    void readExact(std::uint8_t* into, std::size_t count) override;

private:
    // Reads the next block into buffer_; false at the end of the file.
    bool fill();

    std::FILE* file_ = nullptr;
    // Our own buffer: genes are read a few bytes at a time, and a stdio
    // call per field costs more than the reading.
    std::unique_ptr<std::uint8_t[]> buffer_;
    std::size_t position_ = 0;
    std::size_t filled_ = 0;
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
