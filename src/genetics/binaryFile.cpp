// SPDX-License-Identifier: GPL-3.0-or-later
#include "binaryFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
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

int errnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    default:
        return EIO;
    }
}

bool isReparsePoint(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Every folder on the way is checked before the file is opened; the file is
// opened as itself, not as what a reparse point leads to, and checked after.
int openBelow(const std::string& folder, const std::vector<std::string>& names)
{
    std::string path = folder;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (!path.empty() && path.back() != '/' && path.back() != '\\')
            path += '\\';
        path += names[i];
        if (i + 1 < names.size() && isReparsePoint(GetFileAttributesA(path.c_str())))
            throw LinkOnTheWay();
    }
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        throw InOutError::onRead(errnoOf(GetLastError()));
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) {
        const DWORD error = GetLastError();
        CloseHandle(handle);
        throw InOutError::onRead(errnoOf(error));
    }
    if (isReparsePoint(info.dwFileAttributes)) {
        CloseHandle(handle);
        throw LinkOnTheWay();
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        throw InOutError(InOutError::Failure::TooManyOpenFiles);
    }
    return fd;
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

bool isLinkAt(int at, const char* name)
{
    struct stat st;
    return ::fstatat(at, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

int openAt(int at, const char* name, int flags)
{
    int fd;
    do
        fd = ::openat(at, name, flags | O_NOFOLLOW | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        // Systems differ in the error for a link refused (ELOOP, EMLINK,
        // ENOTDIR): the name itself tells.
        const int error = errno;
        if (isLinkAt(at, name))
            throw LinkOnTheWay();
        throw InOutError::onRead(error);
    }
    return fd;
}

// A name at a time from the folder's descriptor, none of them followed.
int openBelow(int folder, const std::vector<std::string>& names)
{
    int at = folder;
    for (std::size_t i = 0; i + 1 < names.size(); ++i) {
        const int next = openAt(at, names[i].c_str(), O_RDONLY | O_DIRECTORY);
        if (at != folder)
            ::close(at);
        at = next;
    }
    try {
        const int fd = openAt(at, names.back().c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY);
        if (at != folder)
            ::close(at);
        return fd;
    } catch (...) {
        if (at != folder)
            ::close(at);
        throw;
    }
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

// The names of a relative path; none may leave the folder.
std::vector<std::string> namesOf(const std::string& relative)
{
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= relative.size()) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        std::string name = relative.substr(start, end - start);
        if (name == "." || name == "..")
            throw InOutError(InOutError::Failure::AccessDenied);
        if (!name.empty())
            names.push_back(std::move(name));
        start = end + 1;
    }
    if (names.empty())
        throw InOutError(InOutError::Failure::FileNotFound);
    return names;
}

} // namespace

OpenFolder::OpenFolder(const std::string& path) : path_(path)
{
#ifndef _WIN32
    do
        fd_ = ::open(path.empty() ? "." : path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    while (fd_ < 0 && errno == EINTR);
    if (fd_ < 0)
        throw InOutError::onRead(errno);
#endif
}

OpenFolder::~OpenFolder()
{
#ifndef _WIN32
    if (fd_ >= 0)
        ::close(fd_);
#endif
}

BinaryFile::BinaryFile(const OpenFolder& folder, const std::string& relative, std::uint64_t sizeLimit)
    : MemorySource({})
{
    const std::vector<std::string> names = namesOf(relative);
#ifdef _WIN32
    const OpenFile file{openBelow(folder.path_, names)};
#else
    const OpenFile file{openBelow(folder.fd_, names)};
#endif
    readOpened(file.fd, sizeLimit, Oversize::Refuse);
}

BinaryFile::BinaryFile(const std::string& path, std::uint64_t sizeLimit, Oversize oversize) : MemorySource({})
{
    if (path.empty())
        throw InOutError(InOutError::Failure::FileNotFound);
    errno = 0;
    const OpenFile file{openForReading(path)};
    if (file.fd < 0)
        throw InOutError::onRead(errno);
    readOpened(file.fd, sizeLimit, oversize);
}

void BinaryFile::readOpened(int fd, std::uint64_t sizeLimit, Oversize oversize)
{
    errno = 0;
    bool regular = false;
    std::uint64_t size = 0;
    if (!statusOf(fd, regular, size))
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
        const long long n = readSome(fd, bytes_.get() + have, capacity - have);
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
