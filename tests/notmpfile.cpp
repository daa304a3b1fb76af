// Loaded into the collection tool by its test (LD_PRELOAD): a system whose file systems
// make no file without a name (O_TMPFILE), so that the tool's other way, a temporary file
// with a short name, is the one tried.

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <fcntl.h>

namespace {

using OpenAt = int (*)(int, const char *, int, ...);

int openWith(const char *real, int folder, const char *path, int flags, va_list args)
{
    const mode_t mode = __OPEN_NEEDS_MODE(flags) ? mode_t(va_arg(args, int)) : 0;
    if ((flags & O_TMPFILE) == O_TMPFILE) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return reinterpret_cast<OpenAt>(dlsym(RTLD_NEXT, real))(folder, path, flags, mode);
}

} // namespace

extern "C" int openat(int folder, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = openWith("openat", folder, path, flags, args);
    va_end(args);
    return fd;
}

extern "C" int openat64(int folder, const char *path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const int fd = openWith("openat64", folder, path, flags, args);
    va_end(args);
    return fd;
}
