// SPDX-License-Identifier: GPL-3.0-or-later
#include "binaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
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

constexpr std::size_t SmallestRead = 4 * 1024;

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

long long readSome(int fd, char* into, std::size_t count)
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

long long readSome(int fd, char* into, std::size_t count)
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

// Closes the file however reading ends.
struct OpenFile {
    int fd;
    ~OpenFile()
    {
        if (fd >= 0)
            closeFile(fd);
    }
};

} // namespace

BinaryFile::BinaryFile(const std::string& path, std::uint64_t sizeLimit, Oversize oversize) : MemorySource({})
{
    if (path.empty())
        throw InOutError(InOutError::Failure::FileNotFound);
    errno = 0;
    const OpenFile file{openForReading(path)};
    if (file.fd < 0)
        throw InOutError::onRead(errno);
    bool regular = false;
    std::uint64_t size = 0;
    if (!statusOf(file.fd, regular, size))
        throw InOutError::onRead(errno);
    if (!regular)
        throw InOutError(InOutError::Failure::AccessDenied);
    if (size > sizeLimit && oversize == Oversize::Refuse)
        throw InOutError(InOutError::Failure::FileTooLarge);

    // Refusing needs to see one byte past the limit, cutting does not.
    const std::uint64_t wanted = oversize == Oversize::Cut ? sizeLimit : std::max(sizeLimit, sizeLimit + 1);
    // One byte over the size, so that the read that meets the end fits.
    std::size_t capacity = static_cast<std::size_t>(std::min(std::max<std::uint64_t>(size + 1, SmallestRead), wanted));
    bytes_ = std::make_unique_for_overwrite<char[]>(capacity);
    std::size_t have = 0;
    for (;;) {
        if (have == capacity) {
            if (capacity == wanted)
                break;
            // The file grew since its size was taken, or its system tells no
            // size (as /proc does).
            const auto larger = static_cast<std::size_t>(std::min<std::uint64_t>(std::uint64_t{capacity} * 2, wanted));
            auto grown = std::make_unique_for_overwrite<char[]>(larger);
            std::memcpy(grown.get(), bytes_.get(), have);
            bytes_ = std::move(grown);
            capacity = larger;
        }
        errno = 0;
        const long long n = readSome(file.fd, bytes_.get() + have, capacity - have);
        if (n < 0)
            throw InOutError::onRead(errno ? errno : EIO);
        if (n == 0)
            break;
        have += static_cast<std::size_t>(n);
    }
    if (have > sizeLimit)
        throw InOutError(InOutError::Failure::FileTooLarge);
    rest_ = std::string_view(bytes_.get(), have);
}

std::string MemorySource::readUpTo(std::size_t count)
{
    const std::string_view part = rest_.substr(0, count);
    rest_.remove_prefix(part.size());
    return std::string(part);
}

} // namespace helixplot
