// Loaded into the collection tool by its test (LD_PRELOAD): someone else's file, named
// "theirs" beside the output, is swapped into the output's place at the last moment, just
// before the tool renames or swaps its new file in.

#include <cstdio>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>

namespace {

using RenameAt2 = int (*)(int, const char *, int, const char *, unsigned);

int renameInto(int fromFolder, const char *from, int toFolder, const char *to, unsigned flags)
{
    const auto real = reinterpret_cast<RenameAt2>(dlsym(RTLD_NEXT, "renameat2"));
    static bool swapped = false;
    if (!swapped && std::strcmp(to, "out.mdb") == 0) {
        swapped = true;
        if (real(toFolder, to, toFolder, "theirs", RENAME_EXCHANGE) != 0)
            std::fputs("swapfirst: this file system cannot swap two files\n", stderr);
    }
    return real(fromFolder, from, toFolder, to, flags);
}

} // namespace

extern "C" int renameat2(int fromFolder, const char *from, int toFolder, const char *to,
                         unsigned flags)
{
    return renameInto(fromFolder, from, toFolder, to, flags);
}

extern "C" int renameat(int fromFolder, const char *from, int toFolder, const char *to)
{
    return renameInto(fromFolder, from, toFolder, to, 0);
}
