// SPDX-License-Identifier: GPL-3.0-or-later
#include "safeOutput.h"

#include "genetics/binaryFile.h"
#include "genetics/unitGenetics.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <share.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace helixplot {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32

int createNew(const std::string& path)
{
    int fd = -1;
    const errno_t err =
        _sopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYWR, _S_IREAD | _S_IWRITE);
    if (err != 0)
        errno = err;
    return err == 0 ? fd : -1;
}

long long writeSome(int fd, const char* bytes, std::size_t count)
{
    const unsigned chunk = count > (1u << 30) ? (1u << 30) : static_cast<unsigned>(count);
    return _write(fd, bytes, chunk);
}

int flushToDisk(int fd)
{
    return _commit(fd);
}

int closeFile(int fd)
{
    return _close(fd);
}

bool mayWrite(const std::string& path)
{
    return _access(path.c_str(), 2) == 0;
}

#else

int createNew(const std::string& path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    while (fd < 0 && errno == EINTR);
    return fd;
}

long long writeSome(int fd, const char* bytes, std::size_t count)
{
    ssize_t n;
    do
        n = ::write(fd, bytes, count);
    while (n < 0 && errno == EINTR);
    return n;
}

int flushToDisk(int fd)
{
    return ::fsync(fd);
}

int closeFile(int fd)
{
    return ::close(fd);
}

bool mayWrite(const std::string& path)
{
    return ::access(path.c_str(), W_OK) == 0;
}

#endif

std::string systemReason(int systemError)
{
    return std::generic_category().message(systemError);
}

[[noreturn]] void failWith(const std::string& path, int systemError)
{
    throw OutputError(path, systemReason(systemError), systemError);
}

// kept: where the file that stood at the target was left, when it could not
// be put back.
[[noreturn]] void refuse(const std::string& path, const char* reason, int systemError = 0, const std::string& kept = {})
{
    if (!kept.empty())
        throw OutputError(path, std::string(reason) + "; what it held is kept as " + kept, systemError);
    throw OutputError(path, reason, systemError);
}

bool hasGenomeName(const fs::path& path)
{
    std::string extension = path.extension().string();
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension == ".gen";
}

bool startsLikeGenome(const std::string& path, const std::string& named)
{
    try {
        BinaryFile file(path, GenomeMagic.size(), BinaryFile::Oversize::Cut);
        return file.readUpTo(GenomeMagic.size()) == GenomeMagic;
    } catch (const InOutError& e) {
        if (e.systemError() == 0)
            throw OutputError(named, e.what(), 0);
        failWith(named, e.systemError());
    }
}

// The longest file name most file systems take, in bytes (or UTF-16 units).
constexpr std::size_t LongestName = 255;

// A name beside target that no file has yet: ".NAME.TAG.tmp", with NAME cut
// (at a character's start) so that the whole fits any name the file system
// takes for the target.
std::string temporaryName(const fs::path& target, unsigned attempt)
{
    static std::atomic<std::uint64_t> counter{0};
    const auto ticks = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    std::uint64_t mix = ticks ^ (counter++ * 0x9E3779B97F4A7C15u) ^ attempt;
    static constexpr char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string tag;
    for (int i = 0; i < 8; ++i, mix /= 36)
        tag += Letters[mix % 36];
    std::string base = target.filename().string();
    const std::size_t room = LongestName -
                             std::string_view(".."
                                              ".tmp")
                                 .size() -
                             tag.size();
    if (base.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(base[cut]) & 0xC0) == 0x80)
            --cut;
        base.resize(cut);
    }
    fs::path name = target;
    name.replace_filename("." + base + "." + tag + ".tmp");
    return name.string();
}

// Creates the temporary file beside target; its name goes to name.
int createTemporary(const std::string& named, const fs::path& target, std::string& name)
{
    for (unsigned attempt = 0;; ++attempt) {
        name = temporaryName(target, attempt);
        errno = 0;
        const int fd = createNew(name);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST || attempt == 100)
            failWith(named, errno ? errno : EIO);
    }
}

} // namespace

OutputError::OutputError(std::string_view path, std::string_view reason, int systemError)
    : FileError(path, reason), systemError_(systemError)
{
}

namespace {

// Every check but the folder's permission, which only making a file shows.
OutputTarget resolveTarget(const std::string& path, const std::vector<std::string>& readFiles)
{
    if (path.empty())
        failWith(path, ENOENT);
    std::error_code ec;
    fs::path resolved = fs::absolute(fs::path(path), ec);
    if (ec)
        failWith(path, ec.value());
    if (hasGenomeName(resolved))
        refuse(path, NeverWritesGenomeMessage);
    const fs::file_status link = fs::symlink_status(resolved, ec);
    if (ec && link.type() != fs::file_type::not_found)
        failWith(path, ec.value());
    if (fs::is_symlink(link)) {
        resolved = fs::canonical(resolved, ec);
        if (ec == std::errc::no_such_file_or_directory)
            refuse(path, DanglingLinkMessage);
        if (ec)
            failWith(path, ec.value());
        if (hasGenomeName(resolved))
            refuse(path, NeverWritesGenomeMessage);
    }
    const fs::file_status status = fs::status(resolved, ec);
    if (status.type() == fs::file_type::not_found) {
        const fs::file_status folder = fs::status(resolved.parent_path(), ec);
        if (folder.type() == fs::file_type::not_found)
            failWith(path, ENOENT);
        if (!fs::is_directory(folder))
            failWith(path, ec ? ec.value() : ENOTDIR);
        return {path, resolved.string()};
    }
    if (ec)
        failWith(path, ec.value());
    if (fs::is_directory(status))
        refuse(path, NotRegularFileMessage, EISDIR);
    if (!fs::is_regular_file(status))
        refuse(path, NotRegularFileMessage);
    for (const std::string& read : readFiles) {
        std::error_code unknown;
        if (!read.empty() && fs::equivalent(resolved, fs::path(read), unknown) && !unknown)
            refuse(path, NeverWritesInputMessage);
    }
    if (startsLikeGenome(resolved.string(), path))
        refuse(path, NeverWritesGenomeMessage);
    // Replacing the file would only need the folder's permission; a file
    // its owner made read-only is kept as it is.
    errno = 0;
    if (!mayWrite(resolved.string()))
        failWith(path, errno ? errno : EACCES);
    return {path, resolved.string()};
}

} // namespace

OutputTarget checkOutputTarget(const std::string& path, const std::vector<std::string>& readFiles)
{
    OutputTarget target = resolveTarget(path, readFiles);
    std::string probe;
    const int fd = createTemporary(path, fs::path(target.resolved), probe);
    closeFile(fd);
    std::error_code ignored;
    fs::remove(probe, ignored);
    return target;
}

OutputFile::OutputFile(const std::string& path, const std::vector<std::string>& readFiles)
    : readFiles_(readFiles), target_(resolveTarget(path, readFiles))
{
    ignoreFileSizeSignal();
    fd_ = createTemporary(path, fs::path(target_.resolved), temporary_);
}

OutputFile::~OutputFile()
{
    discard();
}

void OutputFile::discard() noexcept
{
    if (fd_ >= 0)
        closeFile(fd_);
    fd_ = -1;
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
        temporary_.clear();
    }
}

void OutputFile::fail(int systemError)
{
    discard();
    failWith(target_.path, systemError);
}

void OutputFile::write(std::string_view bytes)
{
    while (!bytes.empty()) {
        errno = 0;
        const long long n = writeSome(fd_, bytes.data(), bytes.size());
        if (n <= 0)
            fail(errno ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

void OutputFile::commit()
{
    errno = 0;
    if (flushToDisk(fd_) != 0)
        fail(errno ? errno : EIO);
    const int fd = fd_;
    fd_ = -1;
    errno = 0;
    if (closeFile(fd) != 0)
        fail(errno ? errno : EIO);
    try {
        // The target again, just before it is replaced: it may have changed
        // while the output was being made.
        const OutputTarget now = resolveTarget(target_.path, readFiles_);
        if (now.resolved != target_.resolved)
            fail(EAGAIN);
    } catch (...) {
        discard();
        throw;
    }
    std::error_code ec;
    const fs::file_status existing = fs::status(target_.resolved, ec);
    if (fs::exists(existing))
        fs::permissions(temporary_, existing.permissions(), ec);
    replaceTarget();
}

// What the final step swapped out of the target's place (now under the
// temporary name), when the target may not be replaced by it: a genome or a
// file the run reads that arrived after the last check, or no regular file.
const char* OutputFile::refusalOfSwappedOut() const
{
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(temporary_, ec);
    if (ec || !fs::is_regular_file(status))
        return NotRegularFileMessage;
    for (const std::string& read : readFiles_) {
        std::error_code unknown;
        if (!read.empty() && fs::equivalent(fs::path(temporary_), fs::path(read), unknown) && !unknown)
            return NeverWritesInputMessage;
    }
    try {
        if (startsLikeGenome(temporary_, target_.path))
            return NeverWritesGenomeMessage;
    } catch (const OutputError&) {
        // Unreadable: it might be a genome.
        return NeverWritesGenomeMessage;
    }
    return nullptr;
}

#if defined(RENAME_EXCHANGE) && defined(RENAME_NOREPLACE)

// A new target is made only if nothing took its name meanwhile; an existing
// one is swapped with the output, and what came out is checked, and swapped
// back when it must not be replaced: no moment remains in which a genome
// moved onto the target is overwritten.
void OutputFile::replaceTarget()
{
    auto move = [&](unsigned flags) {
        int result;
        do
            result = ::renameat2(AT_FDCWD, temporary_.c_str(), AT_FDCWD, target_.resolved.c_str(), flags);
        while (result != 0 && errno == EINTR);
        return result == 0;
    };
    for (int attempt = 0; attempt < 8; ++attempt) {
        if (move(RENAME_NOREPLACE)) {
            temporary_.clear();
            return;
        }
        if (errno != EEXIST)
            break;
        if (move(RENAME_EXCHANGE)) {
            if (const char* reason = refusalOfSwappedOut()) {
                if (!move(RENAME_EXCHANGE)) {
                    // Never removed: it is what the target held.
                    const std::string kept = temporary_;
                    temporary_.clear();
                    refuse(target_.path, reason, 0, kept);
                }
                discard();
                refuse(target_.path, reason);
            }
            std::error_code ignored;
            fs::remove(temporary_, ignored);
            temporary_.clear();
            return;
        }
        if (errno != ENOENT)
            break;
    }
    // A file system without either step (some network and FUSE file
    // systems) gets the plain rename, after the check above.
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP)
        fail(errno ? errno : EIO);
    renameOver();
}

#elif defined(_WIN32)

// A new target is only made when nothing took its name meanwhile; an
// existing one is replaced with a backup of what it held, which is checked,
// and put back when it must not be replaced.
void OutputFile::replaceTarget()
{
    const std::wstring from = fs::path(temporary_).wstring();
    const std::wstring to = fs::path(target_.resolved).wstring();
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        temporary_.clear();
        return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
        fail(EACCES);
    std::string backup;
    closeFile(createTemporary(target_.path, fs::path(target_.resolved), backup));
    const std::wstring held = fs::path(backup).wstring();
    if (!ReplaceFileW(to.c_str(), from.c_str(), held.c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        std::error_code ignored;
        fs::remove(backup, ignored);
        fail(EACCES);
    }
    std::swap(temporary_, backup); // the old target is under the temporary name now
    if (const char* reason = refusalOfSwappedOut()) {
        if (!ReplaceFileW(to.c_str(), fs::path(temporary_).wstring().c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                          nullptr, nullptr)) {
            const std::string kept = temporary_;
            temporary_.clear();
            refuse(target_.path, reason, 0, kept);
        }
        temporary_.clear();
        refuse(target_.path, reason);
    }
    discard();
}

#else

void OutputFile::replaceTarget()
{
    renameOver();
}

#endif

// The last step where the system has no better: the check above is the
// last before the rename.
void OutputFile::renameOver()
{
    std::error_code ec;
    fs::rename(temporary_, target_.resolved, ec);
    if (ec)
        fail(ec.value());
    temporary_.clear();
}

void ignoreFileSizeSignal()
{
#ifdef SIGXFSZ
    struct sigaction now = {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL)
        ::signal(SIGXFSZ, SIG_IGN);
#endif
}

namespace {

constexpr const char* StandardOutputWords = "standard output";

} // namespace

void checkStandardOutput(const std::vector<std::string>& readFiles)
{
#ifdef _WIN32
    // Neither its name nor its first bytes can be had from the handle here.
    (void)readFiles;
#else
    struct stat out = {};
    if (::fstat(STDOUT_FILENO, &out) != 0 || !S_ISREG(out.st_mode))
        return;
    for (const std::string& read : readFiles) {
        struct stat file = {};
        if (!read.empty() && ::stat(read.c_str(), &file) == 0 && file.st_dev == out.st_dev && file.st_ino == out.st_ino)
            refuse(StandardOutputWords, NeverWritesInputMessage);
    }
    // Its name and its first bytes, through the descriptor opened again for
    // reading where the system offers that.
    for (const char* self : {"/proc/self/fd/1", "/dev/fd/1"}) {
        std::error_code ec;
        const fs::path name = fs::read_symlink(self, ec);
        if (!ec && hasGenomeName(name))
            refuse(StandardOutputWords, NeverWritesGenomeMessage);
        struct stat again = {};
        if (::stat(self, &again) != 0 || again.st_dev != out.st_dev || again.st_ino != out.st_ino)
            continue;
        try {
            if (startsLikeGenome(self, StandardOutputWords))
                refuse(StandardOutputWords, NeverWritesGenomeMessage);
        } catch (const OutputError& e) {
            if (std::string_view(e.what()).find(NeverWritesGenomeMessage) != std::string_view::npos)
                throw;
            continue; // not readable so: judged by its name and the files read
        }
        return;
    }
#endif
}

bool isStandardOutputStream(const std::string& path)
{
#ifdef _WIN32
    (void)path;
    return false;
#else
    struct stat out = {}, named = {};
    return ::fstat(STDOUT_FILENO, &out) == 0 && !S_ISREG(out.st_mode) && ::stat(path.c_str(), &named) == 0 &&
           named.st_dev == out.st_dev && named.st_ino == out.st_ino;
#endif
}

void writeOutputFile(const std::string& path, std::string_view bytes, const std::vector<std::string>& readFiles)
{
    OutputFile file(path, readFiles);
    file.write(bytes);
    file.commit();
}

namespace {

// The name, checked: nothing there yet, and a folder to hold it.
fs::path newGenomePath(const std::string& path)
{
    if (path.empty())
        failWith(path, ENOENT);
    std::error_code ec;
    const fs::path target = fs::absolute(fs::path(path), ec);
    if (ec)
        failWith(path, ec.value());
    const fs::file_status status = fs::symlink_status(target, ec);
    if (status.type() != fs::file_type::not_found) {
        if (ec)
            failWith(path, ec.value());
        refuse(path, ExistingGenomeTargetMessage, EEXIST);
    }
    const fs::file_status folder = fs::status(target.parent_path(), ec);
    if (folder.type() == fs::file_type::not_found)
        failWith(path, ENOENT);
    if (!fs::is_directory(folder))
        failWith(path, ec ? ec.value() : ENOTDIR);
    return target;
}

// Gives temporary the name target unless target exists by now.
int publishWithoutReplacing(const std::string& temporary, const std::string& target)
{
#ifdef _WIN32
    // MoveFileEx without MOVEFILE_REPLACE_EXISTING, as rename() does here.
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : (errno ? errno : EIO);
#else
    if (::link(temporary.c_str(), target.c_str()) == 0) {
        ::unlink(temporary.c_str());
        return 0;
    }
    const int linkError = errno;
    if (linkError != EPERM && linkError != ENOTSUP && linkError != EOPNOTSUPP && linkError != ENOSYS)
        return linkError;
    // A file system without hard links: the name is checked once more just
    // before the rename.
    struct stat existing;
    if (::lstat(target.c_str(), &existing) == 0)
        return EEXIST;
    return std::rename(temporary.c_str(), target.c_str()) == 0 ? 0 : errno;
#endif
}

} // namespace

void checkNewGenomeTarget(const std::string& path)
{
    const fs::path target = newGenomePath(path);
    std::string probe;
    const int fd = createTemporary(path, target, probe);
    closeFile(fd);
    std::error_code ignored;
    fs::remove(probe, ignored);
}

void writeNewGenomeFile(const std::string& path, std::string_view bytes)
{
    const fs::path target = newGenomePath(path);
    std::string temporary;
    int fd = createTemporary(path, target, temporary);
    auto fail = [&](int systemError) {
        if (fd >= 0)
            closeFile(fd);
        std::error_code ignored;
        fs::remove(temporary, ignored);
        if (systemError == EEXIST)
            refuse(path, ExistingGenomeTargetMessage, EEXIST);
        failWith(path, systemError);
    };
    while (!bytes.empty()) {
        errno = 0;
        const long long n = writeSome(fd, bytes.data(), bytes.size());
        if (n <= 0)
            fail(errno ? errno : EIO);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    errno = 0;
    if (flushToDisk(fd) != 0)
        fail(errno ? errno : EIO);
    const int closing = fd;
    fd = -1;
    if (closeFile(closing) != 0)
        fail(errno ? errno : EIO);
    if (const int error = publishWithoutReplacing(temporary, target.string()); error != 0)
        fail(error);
}

} // namespace helixplot
