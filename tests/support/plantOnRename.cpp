// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into helixplot-cli by the output safety tests: at the first
// rename, moves the file HELIXPLOT_PLANT names onto the rename's target, as
// a user swapping files between the last check and the final step would.

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

namespace {

using RenameFunction = int (*)(const char*, const char*);

int realRename(const char* from, const char* to)
{
    static const auto next = reinterpret_cast<RenameFunction>(dlsym(RTLD_NEXT, "rename"));
    return next(from, to);
}

void plant(const char* target)
{
    static bool planted = false;
    const char* source = std::getenv("HELIXPLOT_PLANT");
    if (planted || !source || !*source)
        return;
    planted = true;
    if (realRename(source, target) != 0)
        std::perror("plantOnRename");
}

} // namespace

extern "C" int rename(const char* from, const char* to)
{
    plant(to);
    return realRename(from, to);
}

extern "C" int renameat(int fromFolder, const char* from, int toFolder, const char* to)
{
    using Function = int (*)(int, const char*, int, const char*);
    static const auto next = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "renameat"));
    plant(to);
    return next(fromFolder, from, toFolder, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned flags)
{
    using Function = int (*)(int, const char*, int, const char*, unsigned);
    static const auto next = reinterpret_cast<Function>(dlsym(RTLD_NEXT, "renameat2"));
    plant(to);
    return next(fromFolder, from, toFolder, to, flags);
}
