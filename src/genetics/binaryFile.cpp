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

bool BinaryFile::atEnd()
{
    const int c = std::fgetc(file_);
    if (c == EOF) {
        if (std::ferror(file_))
            throw InOutError(openErrorCode(errno ? errno : EIO));
        return true;
    }
    std::ungetc(c, file_);
    return false;
}

void BinaryFile::readExact(std::uint8_t* into, std::size_t count)
{
    if (count == 0)
        return;
    errno = 0;
    if (std::fread(into, 1, count, file_) != count) {
        if (std::ferror(file_))
            throw InOutError(openErrorCode(errno ? errno : EIO));
        throw InOutError(InOutError::ReadBeyondEnd);
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
