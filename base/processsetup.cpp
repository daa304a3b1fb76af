#include "base/processsetup.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace tembra {

void setUpProcess()
{
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is fd itself, the ones below it being open already.
        const int opened = ::open("/dev/null", O_RDWR);
        if (opened != fd) {
            // Without /dev/null there is no safe way on: every later open could take
            // the place of a standard stream. Nothing can be said either.
            ::_exit(1);
        }
    }
    ::signal(SIGXFSZ, SIG_IGN);
    // Inherited ignored, SIGCHLD would have the kernel reap the reading helper itself, and
    // its end (a crash, a kill) would be lost: waitpid would find no child at all.
    ::signal(SIGCHLD, SIG_DFL);
    // A soft limit on open files below the hard one is raised to it (up to 1024, past
    // which no descriptor is wanted): a shell's lower default is no reason to fail.
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0) {
        const rlim_t wanted = std::min<rlim_t>(files.rlim_max, 1024);
        if (files.rlim_cur < wanted) {
            files.rlim_cur = wanted;
            ::setrlimit(RLIMIT_NOFILE, &files);
        }
    }
}

} // namespace tembra
