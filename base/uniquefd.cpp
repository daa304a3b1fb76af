#include "base/uniquefd.h"

#include <cerrno>
#include <unistd.h>

namespace tembra {

void UniqueFd::reset(int fd) noexcept
{
    if (m_fd >= 0 && m_fd != fd) {
        // A close that fails still frees the number; errno is the caller's.
        const int saved = errno;
        ::close(m_fd);
        errno = saved;
    }
    m_fd = fd;
}

bool UniqueFd::close() noexcept
{
    // Not retried on EINTR: on Linux the number is freed whatever close says, and a
    // second close could close someone else's.
    return m_fd < 0 || ::close(release()) == 0;
}

} // namespace tembra
