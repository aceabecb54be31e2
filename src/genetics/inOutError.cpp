// SPDX-License-Identifier: GPL-3.0-or-later
#include "inOutError.h"

#include <cerrno>

namespace helixplot {

namespace {

std::string messageOf(InOutError::Failure failure, int systemError)
{
    using F = InOutError::Failure;
    switch (failure) {
    case F::FileNotFound:
        return "File not found";
    case F::AccessDenied:
        return "File access denied";
    case F::ReadBeyondEnd:
        return "Read beyond end of file";
    case F::FileTooLarge:
        return "File too large (over " + std::to_string(MaxInputBytes >> 20) + " MiB)";
    case F::PathNotFound:
        return "Path not found";
    case F::DiskFull:
        return "Disk full";
    case F::WriteFailed:
        return "Disk write error";
    case F::TooManyOpenFiles:
        return "Too many open files";
    case F::SymbolicLinkLoop:
        return "Too many symbolic links";
    case F::OutOfMemory:
        return "Out of memory";
    case F::NameTooLong:
        return "File name too long";
    case F::System:
        break;
    }
    return "I/O error " + std::to_string(systemError);
}

// What both directions share; System when the error is none of these.
InOutError::Failure commonFailure(int err)
{
    using F = InOutError::Failure;
    switch (err) {
    case EACCES:
    case EPERM:
    case EISDIR:
        return F::AccessDenied;
    case EMFILE:
    case ENFILE:
        return F::TooManyOpenFiles;
#ifdef ELOOP
    case ELOOP:
        return F::SymbolicLinkLoop;
#endif
    case ENOMEM:
        return F::OutOfMemory;
    case ENAMETOOLONG:
        return F::NameTooLong;
    case EFBIG:
#ifdef EOVERFLOW
    case EOVERFLOW:
#endif
        return F::FileTooLarge;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return F::DiskFull;
    default:
        return F::System;
    }
}

} // namespace

InOutError::InOutError(Failure failure, int systemError)
    : HelixplotError(messageOf(failure, systemError)), failure_(failure), systemError_(systemError)
{
}

InOutError InOutError::onRead(int err)
{
    switch (err) {
    case ENOENT:
    case ENOTDIR:
        return InOutError(Failure::FileNotFound, err);
    case ENXIO: // a socket, or a device without its driver: no file to read
        return InOutError(Failure::AccessDenied, err);
    default:
        return InOutError(commonFailure(err), err);
    }
}

InOutError InOutError::onWrite(int err)
{
    switch (err) {
    case 0: // a short write that left no reason
        return InOutError(Failure::WriteFailed);
    case ENOENT:
    case ENOTDIR:
        return InOutError(Failure::PathNotFound, err);
    case EROFS:
        return InOutError(Failure::AccessDenied, err);
    default:
        return InOutError(commonFailure(err), err);
    }
}

FileError::FileError(std::string_view path, std::string_view message)
    : HelixplotError(escapedForMessage(path) + ": " + std::string(message))
{
}

std::string escapedForMessage(std::string_view name)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace helixplot
