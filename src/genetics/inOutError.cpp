// SPDX-License-Identifier: GPL-3.0-or-later
#include "inOutError.h"

#include "textEncoding.h"

#include <cerrno>
#include <utility>

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

namespace {

constexpr char Hex[] = "0123456789ABCDEF";

// The code point of the control that the UTF-8 sequence at text's start is,
// with its length; 0 for none.
std::pair<unsigned, std::size_t> controlAt(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return i < text.size() ? static_cast<unsigned char>(text[i]) : 0u; };
    if (byte(0) == 0xC2 && byte(1) >= 0x80 && byte(1) <= 0x9F)
        return {byte(1), 2};
    if (byte(0) == 0xD8 && byte(1) == 0x9C)
        return {0x061C, 2};
    if (byte(0) == 0xE2 && (byte(1) == 0x80 || byte(1) == 0x81) && byte(2) >= 0x80) {
        const unsigned code = 0x2000 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
        if (code == 0x200E || code == 0x200F || (code >= 0x202A && code <= 0x202E) ||
            (code >= 0x2066 && code <= 0x2069))
            return {code, 3};
    }
    return {0, 0};
}

} // namespace

std::string escapedForMessage(std::string_view name)
{
    const bool utf8 = isUtf8(name);
    std::string out;
    out.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto byte = static_cast<unsigned char>(name[i]);
        if (byte < 0x20 || byte == 0x7F || (!utf8 && byte >= 0x80 && byte <= 0x9F)) {
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 0xF];
            continue;
        }
        const auto [code, length] =
            utf8 && byte >= 0xC2 ? controlAt(name.substr(i)) : std::pair<unsigned, std::size_t>{};
        if (length == 0) {
            out += name[i];
            continue;
        }
        out += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            out += Hex[code >> shift & 0xF];
        i += length - 1;
    }
    return out;
}

} // namespace helixplot
