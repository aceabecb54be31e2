#include "binaryFile.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#else
#include <unistd.h>
#endif

namespace helixplot {

namespace {

constexpr std::size_t BufferBytes = 64 * 1024;
constexpr std::size_t SmallestBuffer = 4 * 1024;

#ifdef _WIN32

// Windows has no FIFOs to wait on in the file system; a device or pipe
// name still shows as no regular file in its status.
int openForReading(const std::string& path)
{
    int fd = -1;
    const errno_t err = _sopen_s(&fd, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0);
    return err == 0 ? fd : -1;
}

bool statusOf(int fd, bool& regular, std::uint64_t& size)
{
    struct _stat64 st;
    if (_fstat64(fd, &st) != 0)
        return false;
    regular = (st.st_mode & _S_IFMT) == _S_IFREG;
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

bool readyToRead(int)
{
    return true;
}

long long readSome(int fd, std::uint8_t* into, std::size_t count)
{
    return _read(fd, into, static_cast<unsigned>(count));
}

void closeFile(int fd)
{
    _close(fd);
}

#else

// Non-blocking, so that opening a FIFO without a writer returns at once;
// O_NOCTTY, so that a terminal device never becomes ours.
int openForReading(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    return fd;
}

bool statusOf(int fd, bool& regular, std::uint64_t& size)
{
    struct stat st;
    if (::fstat(fd, &st) != 0)
        return false;
    regular = S_ISREG(st.st_mode);
    size = static_cast<std::uint64_t>(st.st_size);
    return true;
}

// A regular file never blocks, but the flag is dropped all the same so that
// reads behave as on any other descriptor.
bool readyToRead(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

long long readSome(int fd, std::uint8_t* into, std::size_t count)
{
    ssize_t n;
    do
        n = ::read(fd, into, count);
    while (n < 0 && errno == EINTR);
    return n;
}

void closeFile(int fd)
{
    ::close(fd);
}

#endif

} // namespace

BinaryFile::BinaryFile(const std::string& path, std::uint64_t sizeLimit) : sizeLimit_(sizeLimit)
{
    if (path.empty())
        throw InOutError(InOutError::Failure::FileNotFound);
    errno = 0;
    fd_ = openForReading(path);
    if (fd_ < 0)
        throw InOutError::onRead(errno);
    bool regular = false;
    std::uint64_t size = 0;
    const bool known = statusOf(fd_, regular, size);
    const int err = errno;
    if (!known || !regular || size > sizeLimit_ || !readyToRead(fd_)) {
        closeFile(fd_);
        fd_ = -1;
        if (known && !regular)
            throw InOutError(InOutError::Failure::AccessDenied);
        if (known && size > sizeLimit_)
            throw InOutError(InOutError::Failure::FileTooLarge);
        throw InOutError::onRead(err ? err : errno);
    }
    // One byte over the size, so that a file read whole also meets its end.
    bufferSize_ = static_cast<std::size_t>(std::clamp<std::uint64_t>(size + 1, SmallestBuffer, BufferBytes));
    try {
        buffer_ = std::make_unique_for_overwrite<std::uint8_t[]>(bufferSize_);
    } catch (...) {
        closeFile(fd_); // no destructor runs for a constructor that throws
        throw;
    }
}

BinaryFile::~BinaryFile()
{
    if (fd_ >= 0)
        closeFile(fd_);
}

bool BinaryFile::fill()
{
    errno = 0;
    const long long n = readSome(fd_, buffer_.get(), bufferSize_);
    if (n < 0)
        throw InOutError::onRead(errno ? errno : EIO);
    readSoFar_ += static_cast<std::uint64_t>(n);
    if (readSoFar_ > sizeLimit_)
        throw InOutError(InOutError::Failure::FileTooLarge);
    next_ = 0;
    end_ = static_cast<std::size_t>(n);
    return n > 0;
}

void BinaryFile::readAcross(std::uint8_t* into, std::size_t count)
{
    while (count > 0) {
        if (next_ == end_ && !fill())
            throw InOutError(InOutError::Failure::ReadBeyondEnd);
        const std::size_t n = std::min(count, end_ - next_);
        std::copy_n(buffer_.get() + next_, n, into);
        next_ += n;
        into += n;
        count -= n;
    }
}

std::string BinaryFile::readUpTo(std::size_t count)
{
    std::string out;
    while (out.size() < count) {
        if (next_ == end_ && !fill())
            break;
        const std::size_t n = std::min(count - out.size(), end_ - next_);
        out.append(reinterpret_cast<const char*>(buffer_.get() + next_), n);
        next_ += n;
    }
    return out;
}

void MemorySource::readExact(std::uint8_t* into, std::size_t count)
{
    if (rest_.size() < count)
        throw InOutError(InOutError::Failure::ReadBeyondEnd);
    std::copy_n(rest_.data(), count, into);
    rest_.remove_prefix(count);
}

} // namespace helixplot
