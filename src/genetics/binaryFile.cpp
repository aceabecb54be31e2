#include "binaryFile.h"

#include "unitGenetics.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>

namespace helixplot {

namespace {

int openErrorCode(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
    case ENAMETOOLONG:
        return InOutError::FileNotFound;
    case EACCES:
    case EPERM:
    case EISDIR:
        return InOutError::AccessDenied;
    default:
        return err;
    }
}

} // namespace

BinaryFile::BinaryFile(const std::string& path)
{
    // A directory opens for reading on some systems; it is no file to read.
    std::error_code ec;
    if (std::filesystem::is_directory(std::filesystem::path(path), ec))
        throw InOutError(InOutError::AccessDenied);
    if (path.empty())
        throw InOutError(InOutError::FileNotFound);
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_)
        throw InOutError(openErrorCode(errno));
}

BinaryFile::~BinaryFile()
{
    if (file_)
        std::fclose(file_);
}

namespace {
constexpr std::size_t BufferSize = 64 * 1024;
} // namespace

bool BinaryFile::fill()
{
    if (!buffer_) {
        buffer_ = std::make_unique<std::uint8_t[]>(BufferSize);
        std::setvbuf(file_, nullptr, _IONBF, 0);
    }
    errno = 0;
    position_ = 0;
    filled_ = std::fread(buffer_.get(), 1, BufferSize, file_);
    if (filled_ == 0 && std::ferror(file_))
        throw InOutError(openErrorCode(errno ? errno : EIO));
    return filled_ != 0;
}

bool BinaryFile::atEnd()
{
    return position_ == filled_ && !fill();
}

void BinaryFile::readExact(std::uint8_t* into, std::size_t count)
{
    while (count > 0) {
        if (position_ == filled_ && !fill())
            throw InOutError(InOutError::ReadBeyondEnd);
        const std::size_t n = std::min(count, filled_ - position_);
        std::copy_n(buffer_.get() + position_, n, into);
        position_ += n;
        into += n;
        count -= n;
    }
}

void MemorySource::readExact(std::uint8_t* into, std::size_t count)
{
    if (rest_.size() < count)
        throw InOutError(InOutError::ReadBeyondEnd);
    std::copy_n(rest_.data(), count, into);
    rest_.remove_prefix(count);
}

} // namespace helixplot
