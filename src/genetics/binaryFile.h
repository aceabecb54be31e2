#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace helixplot {

// A file opened for reading only, read in blocks of an exact size. Failures
// raise InOutError with the file layer's messages.
class BinaryFile {
public:
    explicit BinaryFile(const std::string& path);
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // True when no byte is left to read.
    bool atEnd();
    // Reads exactly count bytes or throws "Read beyond end of file".
    void readExact(std::uint8_t* into, std::size_t count);
    std::uint8_t readByte();

private:
    std::FILE* file_ = nullptr;
};

} // namespace helixplot
