#include "base/mapping.h"

#include <cerrno>
#include <sys/mman.h>
#include <utility>

namespace tembra {

Mapping::Mapping(Mapping &&other) noexcept
    : m_at(std::exchange(other.m_at, nullptr)), m_bytes(std::exchange(other.m_bytes, 0))
{ }

Mapping &Mapping::operator=(Mapping &&other) noexcept
{
    if (this != &other) {
        reset();
        m_at = std::exchange(other.m_at, nullptr);
        m_bytes = std::exchange(other.m_bytes, 0);
    }
    return *this;
}

Mapping Mapping::ofFile(int fd, size_t bytes, int prot)
{
    Mapping mapping;
    if (bytes == 0) {
        errno = EINVAL;
        return mapping;
    }
    void *at = ::mmap(nullptr, bytes, prot, MAP_SHARED, fd, 0);
    if (at != MAP_FAILED) {
        mapping.m_at = at;
        mapping.m_bytes = bytes;
    }
    return mapping;
}

bool Mapping::resize(size_t bytes)
{
    void *at = ::mremap(m_at, m_bytes, bytes, MREMAP_MAYMOVE);
    if (at == MAP_FAILED)
        return false;
    m_at = at;
    m_bytes = bytes;
    return true;
}

void Mapping::reset() noexcept
{
    if (m_at) {
        const int saved = errno;
        ::munmap(m_at, m_bytes);
        errno = saved;
    }
    m_at = nullptr;
    m_bytes = 0;
}

} // namespace tembra
